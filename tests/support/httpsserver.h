#ifndef NOLKSET_HTTPSSERVER_H
#define NOLKSET_HTTPSSERVER_H

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QString>
#include <QStringList>

#include <optional>

class QSslSocket;

// A self-signed certificate for 127.0.0.1, made for one test run: a client
// that trusts it as an authority takes the server. Nothing outside the test
// process trusts it.
struct TestAuthority
{
    QSslCertificate certificate;
    QSslKey key;

    // Made with the openssl command in folder; nothing when that failed.
    static std::optional<TestAuthority> create(const QString &folder);
};

// An HTTPS server on 127.0.0.1 that answers GET requests for the paths it was
// given, one request per connection.
class HttpsServer : public QObject
{
    Q_OBJECT

public:
    struct Response
    {
        int status = 200;
        QByteArray body;
        // Without a Content-Length the body ends when the connection closes.
        bool announceLength = true;
        // A silent server takes the request and never answers it.
        bool silent = false;
    };

    explicit HttpsServer(const TestAuthority &authority, QObject *parent = nullptr);

    // "127.0.0.1:port"
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(server.serverPort()); }
    // Unknown paths answer 404 with an empty body.
    void serve(const QString &path, const Response &response) { responses.insert(path, response); }
    void clear()
    {
        responses.clear();
        requested.clear();
    }
    // The paths asked for, in order.
    QStringList requests() const { return requested; }

private:
    void accept();
    void answer(QSslSocket *socket);

    QSslServer server;
    QHash<QString, Response> responses;
    QStringList requested;
};

#endif
