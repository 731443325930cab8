#include "app/mainwindow.h"

#include "settings/inputmap.h"
#include "settings/settingskeys.h"
#include "settings/settingsstore.h"
#include "ui_mainwindow.h"

#include <QDebug>

void MainWindow::onJoystickEvent(QByteArray report)
{
    static const QString Shown = QStringLiteral("SHOW");
    static const QString Hidden = QStringLiteral("HIDE");

    const inputmap::Input input = inputmap::decode(report, ui->cbShifter->isChecked());
    ui->pgAdcR->setValue(input.axisR);
    ui->pgAdcR->update();
    ui->pgAdcL->setValue(input.axisL);
    ui->pgAdcL->update();
    if (ui->pbCalL->isChecked()) {
        adcMaxL = std::max<quint32>(adcMaxL, input.axisL);
        adcMinL = std::min<quint32>(adcMinL, input.axisL);
    }
    if (ui->pbCalR->isChecked()) {
        adcMaxR = std::max<quint32>(adcMaxR, input.axisR);
        adcMinR = std::min<quint32>(adcMinR, input.axisR);
    }

    if (indicators.isEmpty()) {
        for (int index = 0; index < inputmap::IndicatorCount; ++index) {
            const char *name = inputmap::indicatorName(index);
            indicators.append(name ? ui->page1->findChild<QWidget *>(QLatin1String(name))
                                   : nullptr);
        }
    }

    // An indicator's status tip remembers whether the previous report showed
    // it; that is how a release is told from an input that was never held.
    releasedInputs.clear();
    for (int index = 0; index < inputmap::IndicatorCount; ++index) {
        QWidget *indicator = indicators.at(index);
        if (!indicator)
            continue;
        if (inputmap::isActive(input, index)) {
            indicator->show();
            indicator->setStatusTip(Shown);
            qDebug().noquote() << indicator->objectName();
        } else {
            if (indicator->statusTip() == Shown)
                releasedInputs.append(index);
            indicator->hide();
            indicator->setStatusTip(Hidden);
        }
    }
    if (!releasedInputs.isEmpty())
        captureEncoder();
}

void MainWindow::captureEncoder()
{
    if (encoderBindState == 1) {
        // Only the first release is looked at: a button let go together with
        // an encoder's detent does not bind.
        if (const auto pair = inputmap::encoderOf(releasedInputs.first())) {
            encoder1 = pair->raise;
            encoder2 = pair->lower;
            saveEncoderBinding();
            setEncoderBindState(2);
        }
    } else if (encoderBindState == 2) {
        // A step past either end of the slider stays at the end; the wheel is
        // told all the same.
        if (releasedInputs.contains(encoder1)) {
            ui->hsBite->setValue(ui->hsBite->value() + 1);
            onPaddleUpdate();
        }
        if (releasedInputs.contains(encoder2)) {
            ui->hsBite->setValue(ui->hsBite->value() - 1);
            onPaddleUpdate();
        }
    }
}

void MainWindow::onEncoderBind()
{
    if (encoderBindState == 2) {
        clearEncoderBinding();
        setEncoderBindState(0);
    } else {
        // A click while waiting keeps waiting (and the button checked).
        setEncoderBindState(1);
    }
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

void MainWindow::saveEncoderBinding()
{
    SettingsStore store;
    store.setValue(settingskeys::encoder(deviceName, 1), int{encoder1});
    store.setValue(settingskeys::encoder(deviceName, 2), int{encoder2});
    store.sync();
}

void MainWindow::clearEncoderBinding()
{
    SettingsStore store;
    store.remove(settingskeys::encoder(deviceName, 1));
    store.remove(settingskeys::encoder(deviceName, 2));
    store.sync();
}

void MainWindow::loadEncoderBinding()
{
    SettingsStore store;
    encoder1 =
        static_cast<quint8>(store.value(settingskeys::encoder(deviceName, 1), 255).toUInt() & 0xFF);
    encoder2 =
        static_cast<quint8>(store.value(settingskeys::encoder(deviceName, 2), 255).toUInt() & 0xFF);
    if (encoder1 != 255 && encoder2 != 255)
        setEncoderBindState(2);
}
