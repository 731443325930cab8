#ifndef NOLKSET_TESTENV_H
#define NOLKSET_TESTENV_H

// Keeps a test process away from the user's own settings and files, and
// shortens the program's waits.
namespace testenv {

// Points every QSettings store (native and INI, user and system scope) at a
// fresh temporary folder, scripts the program's dialogs and divides the
// program's delays by delayDivisor. Call from initTestCase().
void isolate(int delayDivisor = 20);

// Removes every stored setting and the user's files (backups, the update
// log) from the test's application data folder (between test functions).
void clearSettings();

} // namespace testenv

#endif
