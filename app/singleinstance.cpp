#include "app/singleinstance.h"

#include "app/cli/request.h"
#include "app/cli/windowclient.h"

#include <QDebug>
#include <QDir>
#include <QStandardPaths>

namespace {

constexpr int RaiseAnswerMs = 2000;

} // namespace

SingleInstance::SingleInstance(const QString &folder)
    : lock(folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("nolkset.lock")))
{
}

bool SingleInstance::claim()
{
    if (lock.tryLock(0))
        return true;
    if (lock.error() == QLockFile::LockFailedError)
        return false;
    qDebug().noquote() << QStringLiteral("cannot make the lock file %1; running without "
                                         "checking for another copy")
                              .arg(lockPath());
    return true;
}

QString SingleInstance::lockPath() const
{
    return lock.fileName();
}

QString SingleInstance::defaultFolder()
{
#ifdef Q_OS_WIN
    return QDir::tempPath();
#else
    // Empty when Qt can make no private runtime folder; /tmp would be shared
    // with other users, whose copies must not lock this user out.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
#endif
}

bool SingleInstance::raiseRunningCopy(const QString &folder)
{
    const std::optional<request::Answer> answer = windowclient::ask(
        request::serverName(folder), {request::Raise, QString(), false}, RaiseAnswerMs);
    return answer && answer->status == 0;
}
