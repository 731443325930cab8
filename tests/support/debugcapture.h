#ifndef NOLKSET_DEBUGCAPTURE_H
#define NOLKSET_DEBUGCAPTURE_H

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

// Collects the program's debug lines from every thread while it lives.
class DebugCapture
{
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture &) = delete;
    DebugCapture &operator=(const DebugCapture &) = delete;

    QStringList lines() const
    {
        QMutexLocker lock(&mutex);
        return captured;
    }
    int count(const QString &line) const { return int(lines().count(line)); }
    void clear()
    {
        QMutexLocker lock(&mutex);
        captured.clear();
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message);

    mutable QMutex mutex;
    QStringList captured;
    QtMessageHandler previous;
};

#endif
