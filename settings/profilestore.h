#ifndef NOLKSET_PROFILESTORE_H
#define NOLKSET_PROFILESTORE_H

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// Named profiles: settings documents kept as profiles/<name>.json in the
// user's application data folder. A name is checked before any file is
// touched, so it never reaches outside that folder.
namespace profilestore {

// 1 to 64 letters, digits, spaces, '-', '_' and '.', not starting with '.'.
bool isValidName(const QString &name);
// One line saying why name is refused.
QString nameRefusal(const QString &name);

QString folder();

struct Entry
{
    QString name;
    // Empty when the file is no settings document.
    QString model;
    QDateTime saved;
};

// Every profile, sorted by name.
std::vector<Entry> list();

struct Loaded
{
    std::optional<QByteArray> json;
    // One line saying why nothing was read.
    QString error;
};

Loaded load(const QString &name);

enum class Saved { Written, Exists, Failed };

struct SaveResult
{
    Saved saved;
    QString error;
};

// Written in full or not at all; an existing profile is replaced only when
// replace is set.
SaveResult save(const QString &name, const QByteArray &json, bool replace);

// Empty when the profile was deleted, otherwise why not.
QString remove(const QString &name);

} // namespace profilestore

#endif
