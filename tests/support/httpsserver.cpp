#include "httpsserver.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslSocket>

namespace {

const char Extensions[] = R"([req]
distinguished_name = dn
prompt = no
[dn]
CN = NolkSet test
[authority]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[server]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.1
authorityKeyIdentifier = keyid
)";

bool openssl(const QString &folder, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), arguments);
    const bool done = process.waitForFinished(30000) &&
                      process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!done)
        qWarning().noquote() << "openssl" << arguments.join(QLatin1Char(' '))
                             << "failed:" << process.readAll();
    return done;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

std::optional<TestAuthority> TestAuthority::create(const QString &folder)
{
    QFile config(QDir(folder).filePath(QStringLiteral("openssl.cnf")));
    if (!config.open(QIODevice::WriteOnly) || config.write(Extensions) < 0)
        return std::nullopt;
    config.close();
    const QStringList newKey = {
        QStringLiteral("-newkey"),    QStringLiteral("ec"),
        QStringLiteral("-pkeyopt"),   QStringLiteral("ec_paramgen_curve:prime256v1"),
        QStringLiteral("-nodes"),     QStringLiteral("-config"),
        QStringLiteral("openssl.cnf")};
    const bool made =
        openssl(folder,
                QStringList{"req", "-x509", "-extensions", "authority", "-days", "2", "-subj",
                            "/CN=NolkSet test authority", "-keyout", "ca.key", "-out", "ca.pem"} +
                    newKey) &&
        openssl(folder, QStringList{"req", "-new", "-subj", "/CN=127.0.0.1", "-keyout",
                                    "server.key", "-out", "server.csr"} +
                            newKey) &&
        openssl(folder, {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                         "-set_serial", "2", "-days", "2", "-extfile", "openssl.cnf", "-extensions",
                         "server", "-out", "server.pem"});
    if (!made)
        return std::nullopt;
    TestAuthority result;
    result.authority = QSslCertificate(readFile(QDir(folder).filePath(QStringLiteral("ca.pem"))));
    result.serverCertificate =
        QSslCertificate(readFile(QDir(folder).filePath(QStringLiteral("server.pem"))));
    result.serverKey =
        QSslKey(readFile(QDir(folder).filePath(QStringLiteral("server.key"))), QSsl::Ec);
    if (result.authority.isNull() || result.serverCertificate.isNull() || result.serverKey.isNull())
        return std::nullopt;
    return result;
}

HttpsServer::HttpsServer(const TestAuthority &authority, QObject *parent)
    : QObject(parent)
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(authority.serverCertificate);
    config.setPrivateKey(authority.serverKey);
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    server.setSslConfiguration(config);
    connect(&server, &QTcpServer::pendingConnectionAvailable, this, &HttpsServer::accept);
    if (!server.listen(QHostAddress::LocalHost))
        qFatal("test HTTPS server cannot listen");
}

QString HttpsServer::host() const
{
    return QStringLiteral("127.0.0.1:%1").arg(server.serverPort());
}

void HttpsServer::serve(const QString &path, const Response &response)
{
    responses.insert(path, response);
}

void HttpsServer::clear()
{
    responses.clear();
    requested.clear();
}

void HttpsServer::accept()
{
    while (server.hasPendingConnections()) {
        auto *socket = qobject_cast<QSslSocket *>(server.nextPendingConnection());
        if (!socket)
            continue;
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
