#include "app/debugoutput.h"

#include <QtGlobal>

#ifdef Q_OS_WIN

namespace debugoutput {

void install()
{
}

void flush()
{
}

} // namespace debugoutput

#else

#include <QAbstractEventDispatcher>
#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace debugoutput {
namespace {

constexpr qsizetype FlushBytes = 4096;

// Lines come from the reader and upload threads too.
std::mutex lock;
QByteArray waiting;

void writeWaiting()
{
    if (waiting.isEmpty())
        return;
    std::fwrite(waiting.constData(), 1, static_cast<std::size_t>(waiting.size()), stderr);
    std::fflush(stderr);
    waiting.clear();
}

void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const std::lock_guard<std::mutex> hold(lock);
    waiting += qFormatLogMessage(type, context, message).toLocal8Bit();
    waiting += '\n';
    // A fatal message aborts right after this returns: it must be out by then.
    if ((type != QtDebugMsg && type != QtInfoMsg) || waiting.size() >= FlushBytes)
        writeWaiting();
}

// At exit, before the buffer itself is destroyed: whatever Qt still says
// while it shuts down goes through its own handler.
void finish()
{
    qInstallMessageHandler(nullptr);
    flush();
}

} // namespace

void flush()
{
    const std::lock_guard<std::mutex> hold(lock);
    writeWaiting();
}

void install()
{
    qInstallMessageHandler(handle);
    QObject::connect(QAbstractEventDispatcher::instance(),
                     &QAbstractEventDispatcher::aboutToBlock, &flush);
    std::atexit(finish);
}

} // namespace debugoutput

#endif
