#ifndef NOLKSET_READYPROBE_H
#define NOLKSET_READYPROBE_H

#include <functional>

// For the start-up benchmark's child programs: each time the event loop is
// about to wait, asks whether the program is ready; the first time it is,
// prints "READY <peak RSS in KiB>" on stdout and quits the program. Call from
// a Q_COREAPP_STARTUP_FUNCTION.
namespace readyprobe {

void install(std::function<bool()> isReady);

} // namespace readyprobe

#endif
