#include "app/mainwindow.h"

#include "app/dialogs.h"
#include "device/hidlink.h"
#include "device/protocol.h"
#include "settings/calibrationstore.h"
#include "settings/settingskeys.h"
#include "settings/settingsstore.h"
#include "settings/storedsettings.h"
#include "ui_mainwindow.h"

namespace {

// The first click has the wheel learn the held shifter's threshold, the
// second has it keep what it learnt.
void teachShifter(QPushButton *button, std::uint8_t parameter, const QString &teachingText)
{
    const bool teaching = button->isChecked();
    button->setText(teaching ? teachingText : MainWindow::tr("CALIBRATE"));
    HidLink::instance().sendFeature(teaching ? protocol::shifterTeachStart(parameter)
                                             : protocol::shifterTeachFinish(parameter));
}

} // namespace

int MainWindow::paddleModeValue() const
{
    return storedsettings::paddleModeValue(ui->rbPadL->isChecked(), ui->rbPadR->isChecked(),
                                           ui->hsBite->value());
}

void MainWindow::onSavePageP()
{
    HidLink &link = HidLink::instance();
    // A page that was not read in full from this wheel holds values the wheel
    // never reported; storing them would overwrite its own.
    if (!connected || !link.isOpen())
        return;

    bool saved = true;
    const auto mode = static_cast<std::uint8_t>(paddleModeValue());
    const protocol::AxisRanges ranges = axisRanges();
    const int storedMode = storedsettings::storedPaddleMode(ui->hsBite->statusTip());
    switch (storedsettings::savePaddleMode(mode, storedMode, ranges, givenRanges)) {
    case storedsettings::Save::Failed:
        // Only a mode and ranges the wheel took count as stored: after a
        // failed write the next save sends them again.
        saved = false;
        break;
    case storedsettings::Save::Stored:
        ui->hsBite->setStatusTip(QString::number(mode));
        givenRanges = ranges;
        setCalibrationGiven(calibrationstore::AxisL, true);
        setCalibrationGiven(calibrationstore::AxisR, true);
        break;
    case storedsettings::Save::Unchanged:
        break;
    }
    if (!storedsettings::storeClutch(ui->cbClutch->isChecked()))
        saved = false;

    if (sender() != ui->pbSaveP)
        return;
    if (saved)
        dialogs::information(this, tr("Success"), tr("Setting saved."));
    else
        dialogs::critical(this, tr("Error"), tr("Can not save setting."));
}

void MainWindow::onPaddleChanged(int value)
{
    ui->lbBite->setText(QString::asprintf(tr("%d%%").toUtf8().constData(), value));
}

void MainWindow::onPaddleUpdate()
{
    HidLink &link = HidLink::instance();
    if (!link.isOpen())
        return;
    link.sendFeature(protocol::livePaddleMode(static_cast<std::uint8_t>(paddleModeValue())));
}

void MainWindow::onBearLCalibrate()
{
    teachShifter(ui->pbBearLCa, protocol::param::LeftShifter,
                 tr("PRESS AND HOLD LEFT SHIFTER THEN CLICK ME"));
}

void MainWindow::onBearRCalibrate()
{
    teachShifter(ui->pbBearRCa, protocol::param::RightShifter,
                 tr("PRESS AND HOLD RIGHT SHIFTER THEN CLICK ME"));
}

void MainWindow::onBearExLCalibrate()
{
    teachShifter(ui->pbBearExLCa, protocol::param::ExtraLeftShifter,
                 tr("PRESS AND HOLD EXTRAL SHIFTER THEN CLICK ME"));
}

void MainWindow::onBearExRCalibrate()
{
    teachShifter(ui->pbBearExRCa, protocol::param::ExtraRightShifter,
                 tr("PRESS AND HOLD EXTRAR SHIFTER THEN CLICK ME"));
}

void MainWindow::onClutchStatus()
{
    const bool on = ui->cbClutch->isChecked();
    const QList<QWidget *> clutchWidgets = {ui->groupBox, ui->pgAdcL, ui->pgAdcR, ui->pbCalL,
                                            ui->pbCalR};
    for (QWidget *widget : clutchWidgets)
        widget->setVisible(on);
    HidLink::instance().sendFeature(protocol::liveClutch(on));
}

void MainWindow::onShifterStatus()
{
    SettingsStore store;
    store.setValue(settingskeys::extraShifter(), ui->cbShifter->isChecked());
    store.sync();
    updateShifterGroup();
}
