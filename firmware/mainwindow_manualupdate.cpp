#include "app/mainwindow.h"

#include "device/delays.h"
#include "app/dialogs.h"
#include "device/hidlink.h"
#include "device/protocol.h"
#include "firmware/firmwarefile.h"
#include "settings/calibrationstore.h"
#include "ui_mainwindow.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
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
    // One upload at a time, and its path stays as it started; none starts
    // before the search that follows the last one. A download that arrives
    // meanwhile is not kept.
    if (uploadBusy()) {
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
    // A check or download under way would offer or hand over another image
    // mid-upload: it ends here, and its end touches nothing.
    if (networkAccess) {
        for (QNetworkReply *reply : networkAccess->findChildren<QNetworkReply *>())
            reply->abort();
    }
}

void MainWindow::onProgress(int value)
{
    if (value == 100 || value < 0) {
        uploadAwaitsSearch = true;
        uploadEnded(value == 100);
        resetUpgrade();
        if (value == 100)
            dialogs::information(this, tr("Notify"), tr("Firmware updated successfully."));
        else
            dialogs::critical(this, tr("Error"), tr("Firmware update failed."));
        // The wheel restarts after an update; after a failure it may be gone.
        // The one pending search: a search that comes first (the wheel's
        // loss seen by the reader) takes its place.
        retryTimer.start(delays::ms(delays::ReconnectMs));
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
    // An upload that stopped without a word (the wheel was gone before it
    // began, the file could not be read) still ends its log line, and is
    // followed by no search.
    uploadEnded(false);
    if (!uploadAwaitsSearch) {
        resetUpgrade();
        ui->pbUpgrade->setEnabled(true);
    }
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

bool MainWindow::uploadBusy() const
{
    return upgradeThread.isRunning() || uploadAwaitsSearch;
}

void MainWindow::endUploadSearch()
{
    if (!uploadAwaitsSearch)
        return;
    uploadAwaitsSearch = false;
    ui->pbUpgrade->setEnabled(true);
    resetUpgrade();
}

void MainWindow::resetUpgrade()
{
    ui->pbAutoUpgrade->setEnabled(!uploadBusy());
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
    // The wheel is back at its defaults: the pages show them, and the next
    // save sends what differs from them, the axis ranges included.
    givenRanges.reset();
    setCalibrationGiven(calibrationstore::AxisL, false);
    setCalibrationGiven(calibrationstore::AxisR, false);
    rereadSettings();
    dialogs::information(this, tr("Notify"), tr("Flash data has been cleared."));
}
