#ifndef NOLKSET_REQUEST_H
#define NOLKSET_REQUEST_H

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks the running window and what it answers: one
// line of JSON each way over the user's local socket. No I/O happens here.
namespace request {

// A line longer than this (newline excluded) is refused unread.
constexpr qsizetype MaxLineBytes = 64 * 1024;

// The window's commands, as the command line's long option names; "raise"
// brings the window to the front.
inline const QString Raise = QStringLiteral("raise");
const QStringList &commands();
bool needsArgument(const QString &command);

struct Request
{
    QString command;
    // A file's absolute path or a profile name.
    QString argument;
    bool force = false;
};

struct Answer
{
    int status = 0;
    QString out;
    QString err;
};

struct ParsedRequest
{
    std::optional<Request> request;
    QString error;
};

struct ParsedAnswer
{
    std::optional<Answer> answer;
    QString error;
};

// Each ends in one newline and holds no other.
QByteArray encode(const Request &request);
QByteArray encode(const Answer &answer);

// line without its newline.
ParsedRequest parseRequest(const QByteArray &line);
ParsedAnswer parseAnswer(const QByteArray &line);

// The socket of the copy whose lock lives in folder: inside that private
// folder where sockets are files, a name derived from it on Windows. Empty
// without a folder.
QString serverName(const QString &folder);

} // namespace request

#endif
