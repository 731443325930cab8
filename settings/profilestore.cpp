#include "settings/profilestore.h"

#include "settings/settingssnapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace profilestore {

namespace {

const QString Suffix = QStringLiteral(".json");

QString pathOf(const QString &name)
{
    return QDir(folder()).filePath(name + Suffix);
}

} // namespace

QString nameRefusal(const QString &name)
{
    return QStringLiteral("\"%1\" is no profile name: use 1 to 64 letters, digits, spaces, "
                          "'-', '_' and '.', not starting with '.'")
        .arg(name);
}

bool isValidName(const QString &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("\\A[\\p{L}\\p{Nd} _\\-][\\p{L}\\p{Nd} _.\\-]{0,63}\\z"));
    return pattern.match(name).hasMatch();
}

QString folder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("profiles"));
}

std::vector<Entry> list()
{
    std::vector<Entry> entries;
    const QFileInfoList files = QDir(folder()).entryInfoList(
        {QStringLiteral("*") + Suffix}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &file : files) {
        const QString name = file.completeBaseName();
        if (!isValidName(name))
            continue;
        const Loaded loaded = load(name);
        const settingssnapshot::Decoded decoded =
            settingssnapshot::decode(loaded.json.value_or(QByteArray()));
        entries.push_back(
            {name, decoded.document ? decoded.document->model : QString(), file.lastModified()});
    }
    return entries;
}

Loaded load(const QString &name)
{
    if (!isValidName(name))
        return {std::nullopt, nameRefusal(name)};
    QFile file(pathOf(name));
    if (!file.exists())
        return {std::nullopt, QStringLiteral("there is no profile \"%1\"").arg(name)};
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("cannot read the profile \"%1\": %2")
                                  .arg(name, file.errorString())};
    const QByteArray json = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {std::nullopt, QStringLiteral("cannot read the profile \"%1\": %2")
                                  .arg(name, file.errorString())};
    return {json, QString()};
}

SaveResult save(const QString &name, const QByteArray &json, bool replace)
{
    if (!isValidName(name))
        return {Saved::Failed, nameRefusal(name)};
    const QString path = pathOf(name);
    if (!replace && QFileInfo::exists(path))
        return {Saved::Exists,
                QStringLiteral("the profile \"%1\" exists; --force replaces it").arg(name)};
    if (!QDir().mkpath(folder()))
        return {Saved::Failed, QStringLiteral("cannot make the folder %1").arg(folder())};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit())
        return {Saved::Failed,
                QStringLiteral("cannot write the profile \"%1\": %2").arg(name, file.errorString())};
    return {Saved::Written, QString()};
}

QString remove(const QString &name)
{
    if (!isValidName(name))
        return nameRefusal(name);
    QFile file(pathOf(name));
    if (!file.exists())
        return QStringLiteral("there is no profile \"%1\"").arg(name);
    if (!file.remove())
        return QStringLiteral("cannot delete the profile \"%1\": %2").arg(name, file.errorString());
    return QString();
}

} // namespace profilestore
