#ifndef NOLKSET_COMMANDSERVER_H
#define NOLKSET_COMMANDSERVER_H

#include "app/cli/request.h"

#include <QLocalServer>
#include <QObject>

#include <functional>

class QLocalSocket;

// The running window's local socket: one request line in, one answer line
// out per connection. Anything malformed, too long or left unfinished is
// answered with an error and never reaches the handler. Everything runs on
// the GUI thread, so a request waits for whatever the window is doing.
class CommandServer : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<request::Answer(const request::Request &)>;

    explicit CommandServer(Handler handler, QObject *parent = nullptr);

    // Only the user may connect. A socket left by a copy that crashed is
    // replaced: the caller holds the single-instance lock. False, with a
    // debug line, when nothing can listen.
    bool listen(const QString &name);

private:
    void accept();
    void readRequest(QLocalSocket *socket);
    void answer(QLocalSocket *socket, const request::Answer &answer);
    void refuse(QLocalSocket *socket, const QString &reason);

    QLocalServer server;
    Handler handler;
};

#endif
