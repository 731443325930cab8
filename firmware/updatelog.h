#ifndef NOLKSET_UPDATELOG_H
#define NOLKSET_UPDATELOG_H

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The record of firmware uploads: updates.jsonl in the user's application
// data folder, one JSON object per upload and line, oldest first.
namespace updatelog {

enum class Result { Ok, Failed, Refused };

struct Entry
{
    QDateTime time;
    QString model;
    int productId = 0;
    // The image's file path, or the address it was downloaded from.
    QString source;
    qint64 imageSize = 0;
    // Lower-case hex; empty when the file could not be read.
    QString md5;
    QString versionBefore;
    // Empty when the wheel did not come back in time.
    QString versionAfter;
    Result result = Result::Failed;
};

// "ok", "failed" or "refused".
QString resultName(Result result);

// The log in the user's application data folder.
QString defaultPath();

// Fills the image's size and MD5 digest from the file; both stay empty when
// it cannot be read.
void describeImage(Entry &entry, const QString &path);

// One line, ending in a line feed.
QByteArray encode(const Entry &entry);

// Writes the whole log anew (what it held, then the line) through a save file,
// so a failed write leaves the old log whole and never half a line. False when
// the folder or the file could not be written, or the old log not read.
bool append(const QString &path, const Entry &entry);

struct Reading
{
    // In the order of the file.
    QList<Entry> entries;
    // Lines that are no entry (a log edited by hand).
    int skipped = 0;
    // Empty when the log was read, or does not exist yet.
    QString error;
};

Reading read(const QString &path);

} // namespace updatelog

#endif
