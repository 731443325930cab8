#ifndef NOLKSET_TERMINAL_H
#define NOLKSET_TERMINAL_H

// The terminal the commands write to.
namespace terminal {

// The Windows build is a window program: it has no console of its own, so
// the commands write to the console of the prompt that started them, unless
// their output goes to a file or a pipe. Does nothing elsewhere.
void useParentConsole();

// True when standard error is a terminal, where a progress bar may redraw
// its line.
bool stderrIsTerminal();

} // namespace terminal

#endif
