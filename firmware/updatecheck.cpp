#include "firmware/updatecheck.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonValue>
#include <QLocale>
#include <QStringList>

namespace updatecheck {

std::optional<VersionDocument> readVersionDocument(const QByteArray &body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject())
        return std::nullopt;
    VersionDocument result;
    result.object = document.object();
    result.name = result.object.value(QLatin1String("name")).toString();
    result.version = result.object.value(QLatin1String("version")).toString();
    result.md5 = result.object.value(QLatin1String("md5")).toString();
    return result;
}

QDateTime serverBuildDate(const QString &text)
{
    // The C locale keeps the month names English whatever the user's language.
    return QLocale::c().toDateTime(text, QStringLiteral("MMM d yyyy,hh:mm"));
}

QDateTime wheelBuildDate(const QString &versionLabel)
{
    const QStringList fields = versionLabel.split(QLatin1Char('\t'));
    if (fields.size() < 2)
        return {};
    QString date = fields.at(1);
    date.replace(QLatin1String("  "), QLatin1String(" "));
    return serverBuildDate(date);
}

bool digestListed(const QByteArray &image, const QString &checksumLine)
{
    const QByteArray digest = QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex();
    return checksumLine.toLower().contains(QLatin1String(digest));
}

} // namespace updatecheck
