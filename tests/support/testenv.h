#ifndef NOLKSET_TESTENV_H
#define NOLKSET_TESTENV_H

// Keeps a test process away from the user's own settings and files, and
// shortens the program's waits.
#include <QSettings>
#include <QString>

namespace testenv {

// Points every QSettings store (native and INI, user and system scope) at a
// fresh temporary folder, scripts the program's dialogs and divides the
// program's delays by delayDivisor. Call from initTestCase().
void isolate(int delayDivisor = 20);

// Removes every stored setting and the user's files (backups, the update
// log) from the test's application data folder (between test functions).
void clearSettings();

// The calibration store that stands in for the registry, and the key of an
// axis's calibration in it.
QSettings directInput();
QString calibrationKey(int productId, int axis);

} // namespace testenv

#endif
