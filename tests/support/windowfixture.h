#ifndef NOLKSET_WINDOWFIXTURE_H
#define NOLKSET_WINDOWFIXTURE_H

#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

// The window on an emulated wheel, as the window tests and the benchmarks
// set it up.
namespace windowfixture {

// A wheel of the model, named as given (its own name when empty).
std::shared_ptr<emu::Wheel> plug(emu::Model model = emu::Model::Ralka,
                                 std::uint16_t productId = 0x2007, const QString &name = {});
// Runs the event loop in short steps until the window shows a wheel
// connected; false when it does not within the time.
bool waitConnected(QWidget &window, int timeoutMs = 10000);
// The message boxes shown since the dialog script was reset, as "title|text".
QStringList shownBoxes();

} // namespace windowfixture

// Base of the window tests: the user's files isolated for the whole run, one
// window per test function, and after each the emulator checked for misuse
// and every shared state (emulator, dialog script, settings, delays) reset.
class WindowTest : public QObject
{
    Q_OBJECT

protected:
    // The program's delays are divided by delayDivisor.
    explicit WindowTest(int delayDivisor = 20) : divisor(delayDivisor) {}

    // Builds the window on what is plugged and waits until it is connected;
    // the test has failed when it is not.
    MainWindow &connectWindow();

    std::unique_ptr<MainWindow> window;
    const int divisor;

protected slots:
    void initTestCase();
    void cleanup();
};

#endif
