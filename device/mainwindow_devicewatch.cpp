#include "app/mainwindow.h"

#include "device/delays.h"
#include "device/devicewatcher.h"

#include <QTimer>

void MainWindow::setUpDeviceWatch()
{
    deviceWatcher = DeviceWatcher::create(this);
    connect(deviceWatcher, &DeviceWatcher::wheelArrived, this, &MainWindow::searchOnArrival);
    arrivalRecheck = new QTimer(this);
    arrivalRecheck->setSingleShot(true);
    // A coarse timer may fire up to 5 % early, before udev is done.
    arrivalRecheck->setTimerType(Qt::PreciseTimer);
    connect(arrivalRecheck, &QTimer::timeout, this, [this] {
        if (!connected)
            onInit();
    });
}

void MainWindow::searchOnArrival()
{
    // A connected window keeps its wheel; the retry timer stays the fallback.
    if (connected)
        return;
    onInit();
    if (!connected)
        arrivalRecheck->start(delays::ms(delays::ArrivalRecheckMs));
}

#ifdef Q_OS_WIN
bool MainWindow::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    deviceWatcher->windowMessage(eventType, message);
    return QMainWindow::nativeEvent(eventType, message, result);
}
#endif
