#include "firmware/updatelog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace updatelog {

namespace {

const QString TimeKey = QStringLiteral("time");
const QString ModelKey = QStringLiteral("model");
const QString ProductKey = QStringLiteral("productId");
const QString SourceKey = QStringLiteral("source");
const QString SizeKey = QStringLiteral("imageSize");
const QString Md5Key = QStringLiteral("md5");
const QString BeforeKey = QStringLiteral("versionBefore");
const QString AfterKey = QStringLiteral("versionAfter");
const QString ResultKey = QStringLiteral("result");

const std::array<std::pair<Result, const char *>, 3> ResultNames{{
    {Result::Ok, "ok"},
    {Result::Failed, "failed"},
    {Result::Refused, "refused"},
}};

std::optional<Entry> decode(const QByteArray &line)
{
    const QJsonDocument document = QJsonDocument::fromJson(line);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    Entry entry;
    entry.time = QDateTime::fromString(object.value(TimeKey).toString(), Qt::ISODate);
    bool hex = false;
    entry.productId = object.value(ProductKey).toString().toInt(&hex, 16);
    const QString result = object.value(ResultKey).toString();
    const auto named = std::find_if(ResultNames.begin(), ResultNames.end(),
                                    [&](const auto &pair) { return result == pair.second; });
    if (!entry.time.isValid() || !hex || named == ResultNames.end())
        return std::nullopt;
    entry.result = named->first;
    entry.model = object.value(ModelKey).toString();
    entry.source = object.value(SourceKey).toString();
    entry.imageSize = object.value(SizeKey).toInteger();
    entry.md5 = object.value(Md5Key).toString();
    entry.versionBefore = object.value(BeforeKey).toString();
    entry.versionAfter = object.value(AfterKey).toString();
    return entry;
}

} // namespace

QString resultName(Result result)
{
    for (const auto &[value, name] : ResultNames) {
        if (value == result)
            return QString::fromLatin1(name);
    }
    return QString();
}

QString defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/updates.jsonl");
}

void describeImage(Entry &entry, const QString &path)
{
    QFile file(path);
    QCryptographicHash md5(QCryptographicHash::Md5);
    if (!file.open(QIODevice::ReadOnly) || !md5.addData(&file) ||
        file.error() != QFileDevice::NoError)
        return;
    entry.imageSize = file.size();
    entry.md5 = QString::fromLatin1(md5.result().toHex());
}

QByteArray encode(const Entry &entry)
{
    const QJsonObject object{
        {TimeKey, entry.time.toUTC().toString(Qt::ISODate)},
        {ModelKey, entry.model},
        {ProductKey, QStringLiteral("%1").arg(entry.productId, 4, 16, QLatin1Char('0'))},
        {SourceKey, entry.source},
        {SizeKey, entry.imageSize},
        {Md5Key, entry.md5},
        {BeforeKey, entry.versionBefore},
        {AfterKey, entry.versionAfter},
        {ResultKey, resultName(entry.result)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

bool append(const QString &path, const Entry &entry)
{
    QByteArray content;
    QFile old(path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return false;
        content = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return false;
        // A line cut short by hand must not swallow the new one.
        if (!content.isEmpty() && !content.endsWith('\n'))
            content += '\n';
    }
    content += encode(entry);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           file.commit();
}

Reading read(const QString &path)
{
    Reading reading;
    QFile file(path);
    if (!file.exists())
        return reading;
    if (!file.open(QIODevice::ReadOnly)) {
        reading.error = file.errorString();
        return reading;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reading.error = file.errorString();
        return reading;
    }
    for (const QByteArray &line : content.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        if (const std::optional<Entry> entry = decode(line))
            reading.entries << *entry;
        else
            ++reading.skipped;
    }
    return reading;
}

} // namespace updatelog
