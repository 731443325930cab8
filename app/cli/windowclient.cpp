#include "app/cli/windowclient.h"

#include "app/cli/commandline.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

namespace windowclient {

namespace {

// A listening window accepts at once; this only bounds a wedged system.
constexpr int ConnectMs = 2000;

} // namespace

std::optional<request::Answer> ask(const QString &serverName, const request::Request &request,
                                   int answerMs)
{
    if (serverName.isEmpty())
        return std::nullopt;
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(ConnectMs))
        return std::nullopt;
    const QDeadlineTimer deadline(answerMs);
    socket.write(request::encode(request));
    while (!socket.canReadLine() && socket.bytesAvailable() <= request::MaxLineBytes &&
           (socket.bytesToWrite() == 0 || socket.waitForBytesWritten(deadline.remainingTime())) &&
           socket.waitForReadyRead(deadline.remainingTime())) {
    }
    if (socket.canReadLine()) {
        const QByteArray line = socket.readLine(request::MaxLineBytes + 2).chopped(1);
        if (const request::ParsedAnswer parsed = request::parseAnswer(line); parsed.answer)
            return parsed.answer;
    }
    return request::Answer{cli::WheelInUse, QString(),
                           QStringLiteral("nolkset: the running NolkSet window gave no answer; "
                                          "close it or try again\n")};
}

} // namespace windowclient
