#include "settings/settingsbackup.h"

#include <QDir>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace settingsbackup {

namespace {

QString safeModel(const QString &model)
{
    QString safe = model;
    safe.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
    return safe.isEmpty() ? QStringLiteral("_") : safe;
}

// The names this program gave, so a file of the user's is never removed.
// Their time stamps sort as their names do.
void prune(QDir &folder, const QString &model)
{
    const QRegularExpression ours(
        QStringLiteral("^%1-\\d{8}-\\d{6}\\.json$").arg(QRegularExpression::escape(model)));
    QStringList names = folder.entryList({model + QStringLiteral("-*.json")}, QDir::Files,
                                         QDir::Name | QDir::Reversed);
    names = names.filter(ours);
    for (qsizetype i = KeptPerModel; i < names.size(); ++i)
        folder.remove(names.at(i));
}

} // namespace

QString defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/backups");
}

QString fileName(const QString &model, const QDateTime &time)
{
    return safeModel(model) + QLatin1Char('-') +
           time.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".json");
}

QString save(const QString &folder, const settingssnapshot::Settings &settings,
             const QDateTime &time)
{
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral(".")))
        return QString();
    const QString path = dir.filePath(fileName(settings.model, time));
    QSaveFile file(path);
    const QByteArray json = settingssnapshot::encode(settings);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit())
        return QString();
    prune(dir, safeModel(settings.model));
    return path;
}

} // namespace settingsbackup
