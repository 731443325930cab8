#ifndef NOLKSET_COMMANDLINE_H
#define NOLKSET_COMMANDLINE_H

#include <QString>
#include <QStringList>
#include <QTextStream>

// The program's commands for a terminal: list the wheels, show, back up and
// restore a wheel's settings, update its firmware. They talk to the wheel
// through the same units as the window.
namespace cli {

// Exit statuses, also listed by --help and in the README.
enum Exit {
    Success = 0,
    NoWheel = 1,        // no wheel is connected, or none answered
    Usage = 2,          // the options make no command
    Refused = 3,        // the file was refused or cannot be read or written
    TransferFailed = 4, // the wheel (or the calibration store) did not take a transfer
    Mismatch = 5,       // a restore read back other values than it stored
    WheelInUse = 6,     // another running copy holds the wheel
};

struct Streams
{
    QTextStream &out;
    QTextStream &err;
    // A progress bar redraws one line on a terminal; elsewhere it prints
    // plain lines.
    bool errIsTerminal = false;
};

// True when the arguments hold one of the commands' options; otherwise the
// window starts as it always did, with the arguments left to Qt.
bool isCommandLine(const QStringList &arguments);

// Runs the command the arguments name (arguments[0] is the program) and
// returns the exit status. A command that opens a wheel first claims the
// single-instance lock in lockFolder.
int run(const QStringList &arguments, Streams streams, const QString &lockFolder);

} // namespace cli

#endif
