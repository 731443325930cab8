#include "debugcapture.h"

#include <QMutexLocker>

#include <atomic>

namespace {
std::atomic<DebugCapture *> active{nullptr};
}

DebugCapture::DebugCapture()
    : previous(qInstallMessageHandler(&DebugCapture::handler))
{
    active = this;
}

DebugCapture::~DebugCapture()
{
    qInstallMessageHandler(previous);
    active = nullptr;
}

void DebugCapture::handler(QtMsgType type, const QMessageLogContext &context,
                           const QString &message)
{
    if (DebugCapture *capture = active) {
        if (type == QtDebugMsg) {
            QMutexLocker lock(&capture->mutex);
            capture->captured.append(message);
            return;
        }
        if (capture->previous)
            capture->previous(type, context, message);
    }
}
