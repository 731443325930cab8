#ifndef NOLKSET_WHEELSESSION_H
#define NOLKSET_WHEELSESSION_H

#include "app/cli/commands.h"

// The wheel a command works on: opened as the window opens it (product ids
// in the window's order) and closed when the session ends, or the running
// window's wheel, which stays open.
class WheelSession
{
public:
    explicit WheelSession(const cli::Host &host);
    ~WheelSession();
    WheelSession(const WheelSession &) = delete;
    WheelSession &operator=(const WheelSession &) = delete;

    // Success, or NoWheel after saying why on standard error.
    int open(cli::Streams streams);
    int productId() const { return openedId; }

private:
    cli::Host host;
    int openedId = 0;
};

#endif
