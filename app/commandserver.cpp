#include "app/commandserver.h"

#include "app/cli/commandline.h"
#include "device/delays.h"

#include <QDebug>
#include <QLocalSocket>
#include <QTimer>

namespace {

// A request line not finished by then is refused, so a client that stalls
// cannot hold a connection open.
constexpr int RequestLineMs = 5000;

} // namespace

CommandServer::CommandServer(Handler handler, QObject *parent)
    : QObject(parent)
    , handler(std::move(handler))
{
    connect(&server, &QLocalServer::newConnection, this, &CommandServer::accept);
}

bool CommandServer::listen(const QString &name)
{
    server.setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(name);
    if (server.listen(name))
        return true;
    qDebug().noquote() << QStringLiteral("cannot listen on %1: %2; the command line will not "
                                         "reach this window")
                              .arg(name, server.errorString());
    return false;
}

void CommandServer::accept()
{
    while (QLocalSocket *socket = server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        auto *deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, this, [this, socket] {
            refuse(socket, QStringLiteral("the request line did not end"));
        });
        deadline->start(delays::ms(RequestLineMs));
        readRequest(socket);
    }
}

void CommandServer::readRequest(QLocalSocket *socket)
{
    if (!socket->isReadable())
        return;
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > request::MaxLineBytes)
            refuse(socket,
                   QStringLiteral("the request is longer than %1 bytes").arg(request::MaxLineBytes));
        return;
    }
    const QByteArray line = socket->readLine(request::MaxLineBytes + 2);
    if (!line.endsWith('\n')) {
        refuse(socket,
               QStringLiteral("the request is longer than %1 bytes").arg(request::MaxLineBytes));
        return;
    }
    const request::ParsedRequest parsed = request::parseRequest(line.chopped(1));
    if (!parsed.request) {
        refuse(socket, parsed.error);
        return;
    }
    answer(socket, handler(*parsed.request));
}

void CommandServer::answer(QLocalSocket *socket, const request::Answer &answer)
{
    // One request per connection: nothing more is read from it.
    socket->disconnect(this);
    for (QTimer *timer : socket->findChildren<QTimer *>())
        timer->stop();
    socket->write(request::encode(answer));
    socket->disconnectFromServer();
}

void CommandServer::refuse(QLocalSocket *socket, const QString &reason)
{
    answer(socket, {cli::Usage, QString(),
                    QStringLiteral("nolkset: the window refused the request: %1\n").arg(reason)});
}
