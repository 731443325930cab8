#include "app/mainwindow.h"

#include "app/dialogs.h"
#include "firmware/downloadedimage.h"
#include "firmware/updatecheck.h"
#include "firmware/updateserver.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace {

// Marks the reply that carries a firmware image, so that a second download
// is not started beside it.
const char *const ImageReply = "nolkImage";

// Stops a reply whose body grows past limit; it then ends as a failed request.
void limitBody(QNetworkReply *reply, qint64 limit)
{
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply, limit](qint64 received, qint64 total) {
                         if (received > limit || total > limit)
                             reply->abort();
                     });
}

// The reply that finished, released once handled, with its body; an error
// reply's body is empty, since an error page is no document and no image.
struct Finished
{
    QNetworkReply *reply;
    QByteArray body;
};

std::optional<Finished> takeFinished(QObject *sender)
{
    auto *reply = qobject_cast<QNetworkReply *>(sender);
    if (!reply)
        return std::nullopt;
    reply->deleteLater();
    return Finished{reply,
                    reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray()};
}

} // namespace

QNetworkAccessManager &MainWindow::network()
{
    if (!networkAccess)
        networkAccess = new QNetworkAccessManager(this);
    return *networkAccess;
}

void MainWindow::onAutoUpgrade()
{
    // A wheel of no known model has no update directory: no other model's
    // image is offered to it.
    if (updateUrl.isEmpty()) {
        dialogs::information(this, tr("Update"), tr("No valid device."));
        resetUpgrade();
        return;
    }
    QNetworkReply *reply =
        network().get(updateserver::request(updateUrl + QStringLiteral("version.json")));
    limitBody(reply, updatecheck::MaxDocumentBytes);
    ui->pbAutoUpgrade->setEnabled(false);
    ui->pbAutoUpgrade->setText(tr("Checking ..."));
    connect(reply, &QNetworkReply::finished, this, &MainWindow::onUpgradeReady);
}

void MainWindow::onUpgradeReady()
{
    const std::optional<Finished> finished = takeFinished(sender());
    // A check that ends while an upload runs leaves its widgets alone.
    if (!finished || uploadBusy())
        return;
    const QByteArray &body = finished->body;
    const std::optional<updatecheck::VersionDocument> document =
        body.size() <= updatecheck::MaxDocumentBytes ? updatecheck::readVersionDocument(body)
                                                     : std::nullopt;
    if (!document) {
        resetUpgrade();
        return;
    }
    qDebug() << document->object;

    const QString wheelText = ui->lbVersion->text();
    const QDateTime wheelDate = updatecheck::wheelBuildDate(wheelText);
    const QDateTime serverDate = updatecheck::serverBuildDate(document->version);
    if (wheelText.isEmpty() || !wheelDate.isValid() || !serverDate.isValid()) {
        dialogs::information(this, tr("Update"), tr("No valid device."));
        resetUpgrade();
        return;
    }
    if (wheelDate >= serverDate) {
        dialogs::information(this, tr("Update"), tr("Your firmware is already up to date."));
        resetUpgrade();
        return;
    }
    if (dialogs::question(this, tr("Update"), tr("A new firmware is available, update now?")) !=
        QMessageBox::Yes) {
        resetUpgrade();
        return;
    }
    ui->lePath->setText(updateUrl + document->name);
    ui->lbCurVersion->setText(tr("Version: ") + document->version);
    ui->lbCurMd5->setText(QStringLiteral("MD5: ") + document->md5);
    serverVersion = document->version;
    QTimer::singleShot(0, this, &MainWindow::onNetUpgrade);
}

void MainWindow::onNetUpgrade()
{
    // One image at a time: a press while an image is on its way or being
    // written would hand a second file to an upload that cannot take it.
    if (uploadBusy())
        return;
    for (const QNetworkReply *running : network().findChildren<QNetworkReply *>()) {
        if (running->property(ImageReply).toBool() && !running->isFinished())
            return;
    }
    const QString address = ui->lePath->text();
    if (!address.startsWith(QLatin1String("https://"))) {
        resetUpgrade();
        return;
    }
    QNetworkReply *reply = network().get(updateserver::request(address));
    reply->setProperty(ImageReply, true);
    limitBody(reply, updatecheck::MaxImageBytes);
    connect(reply, &QNetworkReply::downloadProgress, this, &MainWindow::onNetProgress);
    connect(reply, &QNetworkReply::finished, this, &MainWindow::onNetUpgradeReady);
    ui->pgUpgrade->show();
    ui->lbUpgrade->setText(tr("Downloading ..."));
    ui->lbUpgrade->show();
}

void MainWindow::onNetProgress(qint64 received, qint64 total)
{
    // A reply stopped for its size has already reset the page from inside
    // this same progress report; it must not fill the bar again.
    const auto *reply = qobject_cast<const QNetworkReply *>(sender());
    if (total <= 0 || (reply && reply->error() != QNetworkReply::NoError) || uploadBusy())
        return;
    ui->pgUpgrade->setValue(static_cast<int>(received * 100 / total));
}

void MainWindow::onNetUpgradeReady()
{
    const std::optional<Finished> finished = takeFinished(sender());
    // A download that ends while an upload runs is not kept.
    if (!finished || uploadBusy())
        return;
    const QByteArray &image = finished->body;
    if (finished->reply->error() != QNetworkReply::NoError ||
        image.size() > updatecheck::MaxImageBytes ||
        !updatecheck::digestListed(image, ui->lbCurMd5->text())) {
        dialogs::critical(this, tr("Error"), tr("Download file fail."));
        resetUpgrade();
        return;
    }
    const QString path = downloadedimage::save(image);
    if (path.isEmpty()) {
        dialogs::critical(this, tr("Error"), tr("Can not write to temp."));
        resetUpgrade();
        return;
    }
    downloadedFirmware = path;
    downloadAddress = finished->reply->request().url().toString();
    ui->lePath->setText(path);
    QTimer::singleShot(0, this, &MainWindow::onUpgrade);
}
