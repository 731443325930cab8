// The time from plugging the wheel in until the window shows its INPUTS page,
// for 20 plugs at random moments of the waiting window's 3 s retry cycle:
// with the device watcher, and with the retry alone (no device events).

#include "bench/benchwindow.h"
#include "emulator/wheelemulator.h"
#include "support/testenv.h"
#include "support/windowlook.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr int Plugs = 20;
constexpr int RetryMs = 3000;
constexpr double GoalMs = 100;

void discard(QtMsgType, const QMessageLogContext &, const QString &)
{
}

void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures
{
    double median;
    double worst;
};

// Each plug follows the pull by a random part of the retry cycle, which
// starts with the search the pull sets off.
Figures measure(bool deviceEvents, std::mt19937 &random)
{
    emu::setDeviceEventsAvailable(deviceEvents);
    const auto wheel = plugRalka();
    BenchWindow window;
    window.showConnected();
    std::uniform_int_distribution<int> moment(0, RetryMs - 1);
    std::vector<double> ms;
    for (int plug = 0; plug < Plugs; ++plug) {
        wheel->unplug();
        while (!windowlook::isWaiting(window))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pause(moment(random));
        QElapsedTimer clock;
        clock.start();
        wheel->replug();
        if (!windowfixture::waitConnected(window))
            qFatal("the window did not connect");
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    emu::removeAll();
    std::sort(ms.begin(), ms.end());
    return {(ms[Plugs / 2 - 1] + ms[Plugs / 2]) / 2, ms.back()};
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    testenv::isolate(1);
    qInstallMessageHandler(discard);
    std::mt19937 random(22);
    const Figures watched = measure(true, random);
    const Figures retried = measure(false, random);
    std::printf("plug to connected INPUTS page, %d plugs: with the watcher median %.1f ms, "
                "worst %.1f ms; retry only median %.1f ms, worst %.1f ms (%.0f x the watcher)\n",
                Plugs, watched.median, watched.worst, retried.median, retried.worst,
                retried.median / watched.median);
    bench::result("plug to connected INPUTS page, median", watched.median, "ms", "<= 100 ms",
                  watched.median / GoalMs, watched.median <= GoalMs);
    return 0;
}
