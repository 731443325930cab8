#ifndef NOLKSET_DEBUGOUTPUT_H
#define NOLKSET_DEBUGOUTPUT_H

// The window writes a debug line per held input per report: thousands a
// second while a wheel streams. Qt's own handler writes each line to standard
// error with a system call of its own; this one formats them the same way and
// writes them out together when the event loop is about to wait, when they
// pass 4 KiB, and at once for a warning or worse. Windows keeps Qt's handler,
// which hands lines to the debugger.
namespace debugoutput {

// Call once the application object exists.
void install();

// Writes out what is waiting.
void flush();

} // namespace debugoutput

#endif
