#include "app/mainwindow.h"

#include "app/modellayout.h"
#include "device/delays.h"
#include "device/hidlink.h"
#include "device/protocol.h"
#include "firmware/updateserver.h"
#include "settings/calibrationstore.h"
#include "settings/ledimage.h"
#include "settings/settingskeys.h"
#include "settings/settingsstore.h"
#include "settings/storedsettings.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QPixmapCache>
#include <QSignalBlocker>
#include <QTimer>

namespace {

bool isInputIndicator(const QString &name)
{
    return name.startsWith(QLatin1String("pbI")) || name.startsWith(QLatin1String("pbJ"))
           || name.startsWith(QLatin1String("pbSW"));
}

void moveWidgets(QWidget *page, const std::vector<modellayout::WidgetPosition> &positions)
{
    for (const modellayout::WidgetPosition &position : positions) {
        if (QWidget *widget = page->findChild<QWidget *>(position.objectName))
            widget->move(position.x, position.y);
    }
}

} // namespace

void MainWindow::onInit()
{
    connected = false;
    retryTimer.stop();
    // A connection starts its own wireless loops; a pause left pending from
    // the last one would poll again right beside them.
    batteryPause->stop();
    btPause->stop();
    if (eventThread.isRunning()) {
        eventThread.requestInterruption();
        eventThread.wait();
    }
    HidLink &link = HidLink::instance();
    link.close();

    productId = 0;
    for (const std::uint16_t id : protocol::ProductIds) {
        if (link.open(protocol::VendorId, id)) {
            productId = id;
            break;
        }
    }
    if (productId == 0) {
        showWaitingState();
        permissionHint.check(this);
        retryTimer.start(delays::ms(delays::ReconnectMs));
        return;
    }

    eventThread.start();
    ui->pbStatus->hide();
    if (!readStoredSettings(storedsettings::ConnectionReads.size()))
        return;
    connected = true;
    endUploadSearch();
    loadAxisCalibration();
    // A kept calibration that never reached the wheel (the window closed
    // without a save, or the save failed) goes out with the next save.
    givenRanges.reset();
    if (calibrationGiven(calibrationstore::AxisL) && calibrationGiven(calibrationstore::AxisR))
        givenRanges = axisRanges();
    loadEncoderBinding();
    // Queued after every read, and skipped when a later search has dropped
    // this connection by the time they run.
    const auto whileConnected = [this](auto act) {
        QTimer::singleShot(0, this, [this, act] {
            if (connected)
                act();
        });
    };
    whileConnected([this] { onClutchStatus(); });
    whileConnected([this] { ui->pbS1->click(); });
    whileConnected([this] { checkAfterUpdate(); });
    if (hasBluetooth)
        whileConnected([this] { onBTScan(); });
    if (hasBattery)
        whileConnected([this] { onBatScan(); });
}

void MainWindow::abandonConnection()
{
    connected = false;
    eventThread.requestInterruption();
    eventThread.wait();
    HidLink::instance().close();
    showWaitingState();
    retryTimer.start(delays::ms(delays::ReconnectMs));
}

void MainWindow::showWaitingState()
{
    connected = false;
    endUploadSearch();
    for (QWidget *child : ui->page1->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (isInputIndicator(child->objectName()))
            child->hide();
    }
    ui->lbHead->setText(tr("WAITING FOR DEVICE..."));
    ui->lbMain->setStyleSheet(QStringLiteral("border-image:"));
    for (QPushButton *button : {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4})
        button->setEnabled(false);
    QTimer::singleShot(0, ui->pbS5, &QPushButton::click);
    ui->pbStatus->show();
    const QList<QWidget *> encoderAndAxes = {ui->lbEnc,  ui->hsTrigger, ui->lbTrigger,
                                             ui->pbSaveEnc, ui->pbCalL, ui->pgAdcR,
                                             ui->pbCalR, ui->pgAdcL};
    for (QWidget *widget : encoderAndAxes)
        widget->hide();
    ui->lbVersion->hide();
}

bool MainWindow::readStoredSettings(std::size_t count)
{
    // Half the wheel's state in the window would show, and later store,
    // values the wheel never reported.
    for (std::size_t i = 0; i < count; ++i) {
        if (!readStoredSetting(storedsettings::ConnectionReads.at(i))) {
            abandonConnection();
            return false;
        }
    }
    return true;
}

bool MainWindow::rereadSettings()
{
    return readStoredSettings(storedsettings::SettingReadCount);
}

void MainWindow::showRestoredSettings()
{
    // A restore also stores this computer's calibration of the axes.
    if (rereadSettings())
        loadAxisCalibration();
}

bool MainWindow::readStoredSetting(storedsettings::Read read)
{
    switch (read) {
    case storedsettings::Read::Leds:
        return readLedColors();
    case storedsettings::Read::PaddleMode:
        return readPaddleMode();
    case storedsettings::Read::PulseWidth:
        return readPulseWidth();
    case storedsettings::Read::Clutch:
        return readClutchState();
    case storedsettings::Read::Name:
        return readDeviceName();
    case storedsettings::Read::FirmwareVersion:
        return readFirmwareVersion();
    }
    return false;
}

bool MainWindow::readLedColors()
{
    const std::optional<ledimage::Image> image = storedsettings::readLeds();
    if (!image)
        return false;
    const ledimage::Channels channels = ledimage::unpack(*image);
    for (std::size_t slot = 0; slot < ledimage::ButtonSlotCount; ++slot) {
        auto *button = ui->page2->findChild<QAbstractButton *>(ledimage::slotButton(slot));
        QColor color = ledimage::slotColor(channels, slot);
        if (button)
            setLedButtonColor(button, color);
    }
    return true;
}

bool MainWindow::readPaddleMode()
{
    const std::optional<std::uint8_t> answer = storedsettings::readPaddleMode();
    if (!answer)
        return false;
    const std::uint8_t value = *answer;
    ui->hsBite->setStatusTip(QString::number(value));
    const protocol::PaddleMode mode = protocol::decodePaddleMode(value);
    switch (mode.side) {
    case protocol::ClutchSide::Left:
        ui->rbPadL->setChecked(true);
        break;
    case protocol::ClutchSide::Right:
        ui->rbPadR->setChecked(true);
        break;
    case protocol::ClutchSide::None:
        ui->rbPadNo->setChecked(true);
        break;
    }
    ui->hsBite->setValue(mode.bitePoint);
    return true;
}

bool MainWindow::readPulseWidth()
{
    const std::optional<std::int32_t> answer = storedsettings::readPulseWidth();
    if (!answer)
        return false;
    const std::int32_t width = *answer;
    if (width >= 0)
        ui->hsTrigger->setValue(width);
    // What the wheel holds counts as stored, not the slider's clamped value:
    // a wheel at 500 gets the slider's 240 with the first save.
    ui->hsTrigger->setStatusTip(QString::number(width));
    return true;
}

bool MainWindow::readClutchState()
{
    const std::optional<bool> on = storedsettings::readClutch();
    if (!on)
        return false;
    ui->cbClutch->setChecked(*on);
    return true;
}

bool MainWindow::readDeviceName()
{
    // An answer without the name's echo is no name: the read failed.
    const std::optional<QString> name = storedsettings::readName();
    if (!name)
        return false;
    deviceName = *name;
    applyModelProfile(deviceName);
    ui->lbHead->setText(tr("NOLK CONTROLS ") + deviceName);
    return true;
}

bool MainWindow::readFirmwareVersion()
{
    const std::optional<QString> version = storedsettings::readFirmwareVersion();
    if (!version)
        return false;
    const QString line = tr("Firmware Version:") + *version;
    ui->lbVersion->setText(line);
    ui->lbVersion->show();
    qDebug().noquote() << line;
    return true;
}

void MainWindow::applyModelProfile(const QString &name)
{
    ui->pbISW1->hide();
    ui->pbISW2->hide();
    const QList<QWidget *> shown = {ui->pbCalL, ui->pgAdcR,    ui->pbCalR,    ui->pgAdcL,
                                    ui->lbEnc,  ui->hsTrigger, ui->lbTrigger, ui->pbSaveEnc};
    for (QWidget *widget : shown)
        widget->show();
    for (QPushButton *button : {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4})
        button->setEnabled(true);

    bool known = false;
    for (const modelprofile::Profile &profile : modelprofile::profiles()) {
        if (!profile.matches(name))
            continue;
        known = true;
        const modellayout::Layout &layout = modellayout::of(profile);
        updateUrl = QStringLiteral("https://") + updateserver::host()
                    + QStringLiteral("/upgrade/") + profile.updateDirectory;
        if (ui->lbMain->styleSheet() != layout.mainStyleSheet) {
            // Qt's pixmap cache would keep the picture shown so far decoded
            // (3.7 MB) beside the model's own; let it go before that one is
            // decoded.
            ui->lbMain->setStyleSheet(QString());
            QPixmapCache::clear();
            ui->lbMain->setStyleSheet(layout.mainStyleSheet);
        }
        moveWidgets(ui->page1, layout.inputPositions);
        ui->pbS2->setEnabled(layout.ledPageEnabled);
        if (!layout.ledStyleSheet.isEmpty())
            ui->lbMainRGB->setStyleSheet(layout.ledStyleSheet);
        moveWidgets(ui->page2, layout.ledPositions);
        if (layout.ledDots != modellayout::LedDotVisibility::Untouched) {
            const bool visible = layout.ledDots == modellayout::LedDotVisibility::Shown;
            for (QWidget *child : ui->page2->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
                if (child->objectName().startsWith(QLatin1String("pbT")))
                    child->setVisible(visible);
            }
        }
        {
            // Only the user's own change of the box is stored: a model
            // without extra shifters must not switch them off for a DEMTA.
            const QSignalBlocker quiet(ui->cbShifter);
            if (profile.extraShifterOption) {
                ui->cbShifter->setChecked(
                    SettingsStore().value(settingskeys::extraShifter(), false).toBool());
                ui->cbShifter->show();
            } else {
                ui->cbShifter->hide();
                ui->cbShifter->setChecked(false);
            }
        }
        updateShifterGroup();
        hasBattery = profile.hasBattery;
        hasBluetooth = profile.hasBluetooth;
    }
    if (!known) {
        // Another model's firmware, battery query or radio line would be
        // offered to a wheel nobody knows.
        updateUrl.clear();
        hasBattery = false;
        hasBluetooth = false;
    }

    ui->lbBTStatus->setVisible(hasBluetooth);
    ui->lbBatStatus->setVisible(hasBattery);
}

void MainWindow::updateShifterGroup()
{
    QRect geometry = ui->gpBear->geometry();
    geometry.setBottom(geometry.top() + (ui->cbShifter->isChecked() ? 190 : 110));
    ui->gpBear->setGeometry(geometry);
}
