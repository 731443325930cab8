#include "app/cli/terminal.h"

#include <QtGlobal>

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace terminal {

void useParentConsole()
{
#ifdef Q_OS_WIN
    const bool outRedirected = GetStdHandle(STD_OUTPUT_HANDLE) != nullptr;
    const bool errRedirected = GetStdHandle(STD_ERROR_HANDLE) != nullptr;
    if ((outRedirected && errRedirected) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    FILE *reopened = nullptr;
    if (!outRedirected)
        freopen_s(&reopened, "CONOUT$", "w", stdout);
    if (!errRedirected)
        freopen_s(&reopened, "CONOUT$", "w", stderr);
#endif
}

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

} // namespace terminal
