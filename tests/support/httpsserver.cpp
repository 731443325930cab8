#include "httpsserver.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslSocket>

std::optional<TestAuthority> TestAuthority::create(const QString &folder)
{
    QProcess openssl;
    openssl.setWorkingDirectory(folder);
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                   "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                   "subjectAltName=IP:127.0.0.1", "-keyout", "key.pem", "-out", "cert.pem"});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        qWarning().noquote() << "openssl failed:" << openssl.readAll();
        return std::nullopt;
    }
    QFile cert(QDir(folder).filePath(QStringLiteral("cert.pem")));
    QFile key(QDir(folder).filePath(QStringLiteral("key.pem")));
    if (!cert.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly))
        return std::nullopt;
    TestAuthority result{QSslCertificate(cert.readAll()), QSslKey(key.readAll(), QSsl::Ec)};
    if (result.certificate.isNull() || result.key.isNull())
        return std::nullopt;
    return result;
}

HttpsServer::HttpsServer(const TestAuthority &authority, QObject *parent)
    : QObject(parent)
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(authority.certificate);
    config.setPrivateKey(authority.key);
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    server.setSslConfiguration(config);
    connect(&server, &QTcpServer::pendingConnectionAvailable, this, &HttpsServer::accept);
    if (!server.listen(QHostAddress::LocalHost))
        qFatal("test HTTPS server cannot listen");
}

void HttpsServer::accept()
{
    while (server.hasPendingConnections()) {
        auto *socket = static_cast<QSslSocket *>(server.nextPendingConnection());
        socket->setParent(this);
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QSslSocket::readyRead, this, [this, socket] { answer(socket); });
        if (socket->bytesAvailable() > 0)
            answer(socket);
    }
}

void HttpsServer::answer(QSslSocket *socket)
{
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = QString::fromLatin1(line.value(1));
    requested.append(path);

    const Response response = responses.value(path, Response{404, QByteArray(), true, false});
    if (response.silent)
        return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) +
                      " Test\r\n"
                      "Content-Type: application/octet-stream\r\nConnection: close\r\n";
    if (response.announceLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    socket->write(head + "\r\n" + response.body);
    socket->disconnectFromHost();
}
