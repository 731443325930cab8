#ifndef NOLKSET_BENCHWINDOW_H
#define NOLKSET_BENCHWINDOW_H

#include "app/mainwindow.h"
#include "bench/benchresult.h"
#include "support/windowfixture.h"

// The window as the benchmarks drive it, with the input slot within reach.
class BenchWindow : public MainWindow
{
public:
    using MainWindow::onJoystickEvent;

    // Shown, and connected to the wheel plugged before.
    void showConnected()
    {
        show();
        if (!windowfixture::waitConnected(*this))
            qFatal("the window did not connect");
    }
};

// A quiet emulated RALKA for the window to find.
inline auto plugRalka()
{
    emu::setLogEnabled(false);
    return windowfixture::plug();
}

#endif
