#ifndef NOLKSET_UPDATECHECK_H
#define NOLKSET_UPDATECHECK_H

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// The rules of the online update that need no window: reading the server's
// version document, reading build dates, and matching a downloaded image
// against the checksum the server published.
namespace updatecheck {

// Larger answers are no version document and no firmware image: the
// download stops there instead of filling memory.
constexpr qint64 MaxDocumentBytes = 64 * 1024;
constexpr qint64 MaxImageBytes = 1024 * 1024;

struct VersionDocument
{
    QJsonObject object;
    // Each reads empty when missing or not a JSON string.
    QString name;
    QString version;
    QString md5;
};

// Nothing when the body is not a JSON object.
std::optional<VersionDocument> readVersionDocument(const QByteArray &body);

// A build date written "MMM d yyyy,hh:mm" with English month names, in local
// time; invalid when written otherwise.
QDateTime serverBuildDate(const QString &text);

// The build date in the wheel's version label: the field after its first
// TAB, with double spaces folded (the wheel pads the day with a space).
// Invalid when the label has no TAB.
QDateTime wheelBuildDate(const QString &versionLabel);

// Whether the image's MD5 digest, in lower-case hex, occurs in the checksum
// line (compared in lower case).
bool digestListed(const QByteArray &image, const QString &checksumLine);

} // namespace updatecheck

#endif
