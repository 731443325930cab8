#ifndef NOLKSET_BENCHWINDOW_H
#define NOLKSET_BENCHWINDOW_H

#include "app/mainwindow.h"
#include "bench/benchresult.h"
#include "emulator/wheelemulator.h"

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

    // Shown, and connected to the wheel plugged before.
    void showConnected()
    {
        show();
        if (!waitConnected())
            qFatal("the window did not connect");
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

// A quiet emulated RALKA for the window to find.
inline auto plugRalka()
{
    emu::setLogEnabled(false);
    return emu::plug(emu::Model::Ralka, 0x2007);
}

#endif
