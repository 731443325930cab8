#include "device/nolkevent.h"

#include "device/hidlink.h"

#include <QDebug>

NolkEvent::NolkEvent(QObject *parent)
    : QThread(parent)
{
}

void NolkEvent::run()
{
    constexpr int ReportLength = 17;
    constexpr int PollSleepMs = 10;

    HidLink &link = HidLink::instance();
    // Zero-filled per start and reused between reads: a short read leaves the
    // previous report's bytes behind it.
    unsigned char buffer[ReportLength] = {};

    link.setNonBlocking(true);
    for (;;) {
        if (isInterruptionRequested())
            break;
        if (!link.isOpen()) {
            emit deviceDisconnect();
            return;
        }
        const int n = link.read(buffer, ReportLength);
        if (n < 0)
            break;
        if (n == 0) {
            QThread::msleep(PollSleepMs);
            continue;
        }
        emit eventTrigger(QByteArray(reinterpret_cast<const char *>(buffer) + 1, ReportLength - 1));
    }

    link.close();
    if (!isInterruptionRequested())
        emit deviceDisconnect();
    qDebug() << "joystick event thread done.";
}
