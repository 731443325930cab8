#ifndef NOLKSET_BENCHWINDOW_H
#define NOLKSET_BENCHWINDOW_H

#include "app/mainwindow.h"
#include "bench/benchresult.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QStackedWidget>

// The window as the benchmarks drive it: the input slot within reach, and a
// wait for the connected INPUTS page.
class BenchWindow : public MainWindow
{
public:
    using MainWindow::onJoystickEvent;

    bool isConnected() const
    {
        return findChild<QLabel *>(QStringLiteral("lbHead"))
                   ->text()
                   .startsWith(QLatin1String("NOLK CONTROLS ")) &&
               findChild<QStackedWidget *>(QStringLiteral("stackedWidget"))->currentIndex() == 0;
    }

    bool waitConnected(int timeoutMs = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!isConnected() && clock.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return isConnected();
    }
};

#endif
