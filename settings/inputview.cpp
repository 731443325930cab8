#include "app/mainwindow.h"

#include "app/settingsstore.h"
#include "ui_mainwindow.h"

namespace {

QString encoderKey(const QString &deviceName, int which)
{
    return deviceName + QStringLiteral("_ENCODER%1").arg(which);
}

} // namespace

void MainWindow::onJoystickEvent(QByteArray)
{
}

void MainWindow::onEncoderBind()
{
}

void MainWindow::setEncoderBindState(int state)
{
    encoderBindState = state;
    switch (state) {
    case 0:
        ui->pbEncoder->setText(tr("ASSIGN ROTARY ENCODER"));
        ui->pbEncoder->setChecked(false);
        break;
    case 1:
        ui->pbEncoder->setText(tr("ROTATE ONE ENCODER TO BIND BITEPOINT"));
        ui->pbEncoder->setChecked(true);
        break;
    case 2:
        ui->pbEncoder->setText(tr("CLEAR BIND ENCODER"));
        ui->pbEncoder->setChecked(false);
        break;
    default:
        break;
    }
}

void MainWindow::loadEncoderBinding()
{
    SettingsStore store;
    encoder1 = static_cast<quint8>(store.value(encoderKey(deviceName, 1), 255).toUInt() & 0xFF);
    encoder2 = static_cast<quint8>(store.value(encoderKey(deviceName, 2), 255).toUInt() & 0xFF);
    if (encoder1 != 255 && encoder2 != 255)
        setEncoderBindState(2);
}
