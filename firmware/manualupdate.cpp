#include "app/mainwindow.h"

#include "app/delays.h"
#include "app/dialogs.h"
#include "device/hidlink.h"
#include "device/protocol.h"
#include "firmware/firmwarefile.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QTimer>

namespace {

// Only the online update's own download is ever deleted.
void removeDownload(QString &downloaded)
{
    QFile::remove(downloaded);
    downloaded.clear();
}

} // namespace

void MainWindow::onShowPath()
{
    const QString path = dialogs::getOpenFileName(tr("Firmware File (*.bin);;"));
    if (!path.isEmpty())
        ui->lePath->setText(path);
}

void MainWindow::onUpgrade()
{
    const QString path = ui->lePath->text();
    // One upload at a time, and its path stays as it started. A download
    // that arrives meanwhile is not kept.
    if (upgradeThread.isRunning()) {
        if (!downloadedFirmware.isEmpty() && path == downloadedFirmware &&
            path != upgradeThread.path)
            removeDownload(downloadedFirmware);
        return;
    }
    if (path.startsWith(QLatin1String("https://"))) {
        QTimer::singleShot(0, this, &MainWindow::onNetUpgrade);
        return;
    }
    const bool valid = firmwarefile::isFirmwareFile(path);
    if (!valid) {
        dialogs::critical(this, tr("Error"), tr("Not a valid firmware."));
        logRefusedImage(path);
    }
    if (!valid || !prepareUpload(path)) {
        if (!downloadedFirmware.isEmpty() && path == downloadedFirmware) {
            resetUpgrade();
            removeDownload(downloadedFirmware);
        }
        return;
    }
    upgradeThread.path = path;
    ui->pbUpgrade->setEnabled(false);
    ui->pbAutoUpgrade->setEnabled(false);
    upgradeThread.start();
}

void MainWindow::onProgress(int value)
{
    if (value == 100 || value < 0) {
        uploadEnded(value == 100);
        resetUpgrade();
        if (value == 100)
            dialogs::information(this, tr("Notify"), tr("Firmware updated successfully."));
        else
            dialogs::critical(this, tr("Error"), tr("Firmware update failed."));
        // The wheel restarts after an update; after a failure it may be gone.
        QTimer::singleShot(delays::ms(delays::ReconnectMs), this, &MainWindow::onInit);
        return;
    }
    ui->lbUpgrade->setText(value > 96 ? tr("Writing ...") : tr("Uploading ..."));
    ui->pgUpgrade->setValue(value);
    ui->pgUpgrade->update();
    ui->pgUpgrade->show();
    ui->lbUpgrade->show();
}

void MainWindow::finishUpload()
{
    // Also ends an upload that stopped without a word (the wheel was gone
    // before it began).
    uploadEnded(false);
    resetUpgrade();
    ui->pbUpgrade->setEnabled(true);
    if (!downloadedFirmware.isEmpty() && upgradeThread.path == downloadedFirmware)
        removeDownload(downloadedFirmware);
}

bool MainWindow::keepOpenForUpload()
{
    if (!upgradeThread.isRunning())
        return false;
    dialogs::information(this, tr("Notify"),
                         tr("Please wait until the firmware update has finished."));
    return true;
}

void MainWindow::resetUpgrade()
{
    ui->pbAutoUpgrade->setEnabled(true);
    ui->pbAutoUpgrade->setText(tr("Check Update"));
    ui->pgUpgrade->setValue(0);
    ui->lbCurMd5->hide();
    ui->lbCurVersion->setText(QString());
    ui->pgUpgrade->hide();
    ui->lbUpgrade->hide();
}

void MainWindow::onClearFlash()
{
    const QMessageBox::StandardButton answer = dialogs::question(
        this, tr("Notify"),
        tr("Do you want to continue?\nThis operation will delete all the settings stored in the "
           "device flash memory."));
    if (answer != QMessageBox::Yes)
        return;
    if (HidLink::instance().sendFeature(protocol::clearFlash()) < 0) {
        dialogs::critical(this, tr("Error"), tr("Flash data has not been cleared."));
        return;
    }
    dialogs::information(this, tr("Notify"), tr("Flash data has been cleared."));
}
