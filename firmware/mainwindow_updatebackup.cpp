#include "app/mainwindow.h"

#include "device/delays.h"
#include "app/cli/commands.h"
#include "app/dialogs.h"
#include "firmware/updatecheck.h"
#include "settings/settingsbackup.h"
#include "settings/storedsettings.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QTimer>

namespace {

// A line that cannot be written is told, and the update goes on.
void writeLine(const updatelog::Entry &entry)
{
    const QString path = updatelog::defaultPath();
    if (!updatelog::append(path, entry))
        qDebug().noquote() << "The update log" << path << "could not be written; lost line:"
                           << updatelog::encode(entry).trimmed();
}

} // namespace

QString MainWindow::reportedVersion() const
{
    const QString label = ui->lbVersion->text();
    const qsizetype tab = label.indexOf(QLatin1Char('\t'));
    return tab < 0 ? QString() : label.mid(tab + 1);
}

updatelog::Entry MainWindow::updateEntry(const QString &path, updatelog::Result result) const
{
    updatelog::Entry entry;
    entry.time = QDateTime::currentDateTimeUtc();
    entry.model = settingssnapshot::modelOf(deviceName);
    entry.productId = productId;
    const bool downloaded = !downloadedFirmware.isEmpty() && path == downloadedFirmware;
    entry.source = downloaded ? downloadAddress : path;
    updatelog::describeImage(entry, path);
    entry.versionBefore = reportedVersion();
    entry.result = result;
    return entry;
}

void MainWindow::logRefusedImage(const QString &path)
{
    writeLine(updateEntry(path, updatelog::Result::Refused));
}

bool MainWindow::prepareUpload(const QString &path)
{
    const storedsettings::Reading reading = storedsettings::readAll(productId);
    if (!reading.settings) {
        qDebug().noquote() << "Before the update the wheel did not answer the query for"
                           << reading.failed;
        // A wheel whose firmware is broken may not answer; the update is what
        // mends it.
        if (dialogs::question(this, tr("Notify"),
                              tr("The wheel's settings can not be read, so they can not be "
                                 "restored after the update.\nUpdate anyway?")) != QMessageBox::Yes)
            return false;
    } else {
        const QString folder = settingsbackup::defaultFolder();
        const QString saved =
            settingsbackup::save(folder, *reading.settings, QDateTime::currentDateTimeUtc());
        if (saved.isEmpty())
            qDebug().noquote() << "The settings backup could not be written to" << folder
                               << "; they are kept until the wheel is back";
    }
    // The last upload's wheel never came back.
    closeUpdateRecord();
    const bool downloaded = !downloadedFirmware.isEmpty() && path == downloadedFirmware;
    PendingUpdate update;
    update.entry = updateEntry(path, updatelog::Result::Failed);
    update.backup = reading.settings;
    update.serverVersion = downloaded ? serverVersion : QString();
    update.serial = ++uploadSerial;
    pendingUpdate = update;
    return true;
}

void MainWindow::uploadEnded(bool written)
{
    if (!pendingUpdate || pendingUpdate->ended)
        return;
    pendingUpdate->ended = true;
    pendingUpdate->entry.result = written ? updatelog::Result::Ok : updatelog::Result::Failed;
    const int serial = pendingUpdate->serial;
    QTimer::singleShot(delays::ms(delays::UpdateReturnMs), this, [this, serial] {
        if (pendingUpdate && pendingUpdate->serial == serial)
            closeUpdateRecord();
    });
}

void MainWindow::closeUpdateRecord()
{
    if (!pendingUpdate || !pendingUpdate->ended || pendingUpdate->lineWritten)
        return;
    writeLine(pendingUpdate->entry);
    pendingUpdate->lineWritten = true;
}

void MainWindow::checkAfterUpdate()
{
    // Another wheel found meanwhile is not the one updated.
    if (!pendingUpdate || !pendingUpdate->ended || productId != pendingUpdate->entry.productId ||
        settingssnapshot::modelOf(deviceName) != pendingUpdate->entry.model)
        return;
    PendingUpdate update = *pendingUpdate;
    pendingUpdate.reset();
    if (!update.lineWritten) {
        update.entry.versionAfter = reportedVersion();
        writeLine(update.entry);
    }
    if (update.entry.result != updatelog::Result::Ok)
        return;
    if (!update.serverVersion.isEmpty() && updatecheck::wheelBuildDate(ui->lbVersion->text()) !=
                                               updatecheck::serverBuildDate(update.serverVersion))
        dialogs::warning(
            this, tr("Notify"),
            tr("The wheel reports firmware %1 after the update.").arg(reportedVersion()));
    if (update.backup)
        offerRestore(*update.backup);
}

void MainWindow::offerRestore(const settingssnapshot::Settings &backup)
{
    const storedsettings::Reading now = storedsettings::readAll(productId);
    if (!now.settings) {
        qDebug().noquote() << "After the update the wheel did not answer the query for"
                           << now.failed << "; its settings were not compared with the backup";
        return;
    }
    if (now.settings->model != backup.model ||
        settingssnapshot::differences(backup, *now.settings).isEmpty())
        return;
    if (dialogs::question(this, tr("Notify"),
                          tr("The update reset the wheel's settings.\nRestore the settings from "
                             "before the update?")) != QMessageBox::Yes)
        return;
    // The backup as its file holds it, restored as --restore restores a file:
    // from what the wheel holds once the question is answered.
    const bool restored = runCommand([&](cli::Streams streams) {
        return cli::restoreDocument(streams, {true, productId}, settingssnapshot::encode(backup),
                                    QStringLiteral("the settings from before the update"));
    });
    // The pages show what the wheel holds now, restored or not.
    showRestoredSettings();
    if (!restored)
        dialogs::critical(this, tr("Error"), tr("Can not save setting."));
}
