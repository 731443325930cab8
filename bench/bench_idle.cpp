// The CPU time a connected program takes while its wheel sends nothing: the
// reader's polling, the battery queries and the Bluetooth scans (which, on a
// machine without an adapter, must end rather than spin). RALKA has both
// loops. Optional argument: the seconds to measure (30).

#include "bench/benchwindow.h"
#include "emulator/wheelemulator.h"
#include "support/testenv.h"

#include <QApplication>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace {

constexpr double GoalPercent = 2;

void discard(QtMsgType, const QMessageLogContext &, const QString &)
{
}

// User and system time of every thread of the process.
double cpuSeconds()
{
#ifdef Q_OS_WIN
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto ticks = [](const FILETIME &t) {
        return (static_cast<quint64>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 30;
    testenv::isolate(1);
    qInstallMessageHandler(discard);
    const auto wheel = plugRalka();
    BenchWindow window;
    window.showConnected();
    // Past the start of the wireless loops.
    QTimer::singleShot(1000, &app, &QCoreApplication::quit);
    app.exec();

    const double before = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const double used = cpuSeconds() - before;
    const double percent = used / (clock.nsecsElapsed() / 1e9) * 100;
    std::printf("idle for %d s: %.3f s of CPU time\n", seconds, used);
    bench::result("idle cost", percent, "% of one core", "< 2 % of one core", percent / GoalPercent,
                  percent < GoalPercent);
    return 0;
}
