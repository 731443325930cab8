#include "app/cli/request.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace request {

namespace {

const QString CommandKey = QStringLiteral("command");
const QString ArgumentKey = QStringLiteral("argument");
const QString ForceKey = QStringLiteral("force");
const QString StatusKey = QStringLiteral("status");
const QString OutKey = QStringLiteral("out");
const QString ErrKey = QStringLiteral("err");

// The highest exit status the commands give.
constexpr int MaxStatus = 6;

QByteArray line(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// The object the line holds, or why there is none; members other than known
// are refused.
std::optional<QJsonObject> object(const QByteArray &text, const QStringList &known,
                                  QString &error)
{
    if (text.size() > MaxLineBytes) {
        error = QStringLiteral("longer than %1 bytes").arg(MaxLineBytes);
        return std::nullopt;
    }
    QJsonParseError parsed{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &parsed);
    if (parsed.error != QJsonParseError::NoError || !document.isObject()) {
        error = QStringLiteral("not a JSON object");
        return std::nullopt;
    }
    const QJsonObject result = document.object();
    for (const QString &key : result.keys()) {
        if (!known.contains(key)) {
            error = QStringLiteral("unknown member \"%1\"").arg(key);
            return std::nullopt;
        }
    }
    return result;
}

} // namespace

const QStringList &commands()
{
    static const QStringList names{Raise,
                                   QStringLiteral("list"),
                                   QStringLiteral("show"),
                                   QStringLiteral("backup"),
                                   QStringLiteral("restore"),
                                   QStringLiteral("profiles"),
                                   QStringLiteral("save-profile"),
                                   QStringLiteral("apply-profile"),
                                   QStringLiteral("delete-profile")};
    return names;
}

bool needsArgument(const QString &command)
{
    return commands().indexOf(command) >= 3 && command != QLatin1String("profiles");
}

QByteArray encode(const Request &request)
{
    QJsonObject object{{CommandKey, request.command}};
    if (needsArgument(request.command))
        object.insert(ArgumentKey, request.argument);
    if (request.force)
        object.insert(ForceKey, true);
    return line(object);
}

QByteArray encode(const Answer &answer)
{
    return line({{StatusKey, answer.status}, {OutKey, answer.out}, {ErrKey, answer.err}});
}

ParsedRequest parseRequest(const QByteArray &text)
{
    QString error;
    const std::optional<QJsonObject> found =
        object(text, {CommandKey, ArgumentKey, ForceKey}, error);
    if (!found)
        return {std::nullopt, error};
    Request request;
    request.command = found->value(CommandKey).toString();
    if (!commands().contains(request.command))
        return {std::nullopt, QStringLiteral("no such command")};
    const QJsonValue argument = found->value(ArgumentKey);
    if (needsArgument(request.command) != argument.isString() ||
        (argument.isString() && argument.toString().isEmpty()))
        return {std::nullopt, QStringLiteral("the command's argument is missing or not wanted")};
    request.argument = argument.toString();
    const QJsonValue force = found->value(ForceKey);
    if (!force.isUndefined() && !force.isBool())
        return {std::nullopt, QStringLiteral("force must be true or false")};
    request.force = force.toBool();
    return {request, QString()};
}

ParsedAnswer parseAnswer(const QByteArray &text)
{
    QString error;
    const std::optional<QJsonObject> found = object(text, {StatusKey, OutKey, ErrKey}, error);
    if (!found)
        return {std::nullopt, error};
    const QJsonValue status = found->value(StatusKey);
    const int value = status.toInt(-1);
    if (!status.isDouble() || value < 0 || value > MaxStatus ||
        status.toDouble() != static_cast<double>(value) || !found->value(OutKey).isString() ||
        !found->value(ErrKey).isString())
        return {std::nullopt, QStringLiteral("not an answer")};
    return {Answer{value, found->value(OutKey).toString(), found->value(ErrKey).toString()},
            QString()};
}

QString serverName(const QString &folder)
{
    if (folder.isEmpty())
        return QString();
#ifdef Q_OS_WIN
    // Pipe names are global: the user's own temporary folder keeps them apart.
    return QStringLiteral("nolkset-") +
           QString::fromLatin1(
               QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(32));
#else
    return QDir(folder).filePath(QStringLiteral("nolkset.socket"));
#endif
}

} // namespace request
