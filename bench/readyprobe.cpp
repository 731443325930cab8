#include "bench/readyprobe.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include <cstdio>

#ifdef Q_OS_WIN
#include <psapi.h>
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace readyprobe {
namespace {

long peakRssKiB()
{
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<long>(counters.PeakWorkingSetSize / 1024);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

} // namespace

void install(std::function<bool()> isReady)
{
    // Posted: the event dispatcher exists once the loop runs.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [isReady] {
            auto *dispatcher = QAbstractEventDispatcher::instance();
            auto done = std::make_shared<bool>(false);
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher,
                             [isReady, done] {
                                 if (*done || !isReady())
                                     return;
                                 *done = true;
                                 std::printf("READY %ld\n", peakRssKiB());
                                 std::fflush(stdout);
                                 QCoreApplication::quit();
                             });
        },
        Qt::QueuedConnection);
}

} // namespace readyprobe
