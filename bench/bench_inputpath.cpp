// How many input reports a second the window handles, each with 8 inputs
// held and the debug lines on as shipped (written nowhere), against the
// 1,000 reports a second a full-speed USB wheel can send. Measured twice: the
// window's slot alone, and the whole path from the emulated wheel through
// the reader thread to the drawn window.

#include "bench/benchwindow.h"
#include "emulator/wheelemulator.h"
#include "support/testenv.h"

#include <QApplication>
#include <QProgressBar>

#include <array>

namespace {

constexpr double WheelRate = 1000;
constexpr double GoalRatio = 20;
constexpr std::uint16_t LastAxis = 3999;

void discard(QtMsgType, const QMessageLogContext &, const QString &)
{
}

// Two sets of 8 inputs with indicators: taking turns, each report shows 8
// indicators and hides the 8 of the report before.
emu::InputReport inputs(int turn, std::uint16_t axis)
{
    static constexpr std::array<std::array<int, 8>, 2> Held{
        {{0, 6, 7, 8, 9, 10, 11, 12}, {15, 20, 21, 22, 23, 28, 29, 30}}};
    emu::InputReport report{static_cast<std::uint8_t>(axis), static_cast<std::uint8_t>(axis >> 8),
                            static_cast<std::uint8_t>(axis), static_cast<std::uint8_t>(axis >> 8)};
    for (const int index : Held[turn % 2])
        report[4 + index / 8] |= static_cast<std::uint8_t>(1 << (index % 8));
    return report;
}

QByteArray bytes(const emu::InputReport &report)
{
    return QByteArray(reinterpret_cast<const char *>(report.data()),
                      static_cast<qsizetype>(report.size()));
}

void verdict(const char *name, double rate)
{
    bench::result(name, rate, "reports/s", ">= 20,000 reports/s (20 x 1,000)", rate / WheelRate,
                  rate / WheelRate >= GoalRatio);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    testenv::isolate(1);
    qInstallMessageHandler(discard);
    emu::setLogEnabled(false);
    const auto wheel = emu::plug(emu::Model::Ralka, 0x2007);
    BenchWindow window;
    window.show();
    if (!window.waitConnected())
        qFatal("the window did not connect");

    constexpr int Reports = 100000;
    QList<QByteArray> reports;
    for (int i = 0; i < 1000; ++i)
        reports.append(bytes(inputs(i, static_cast<std::uint16_t>(i))));
    for (const QByteArray &report : reports)
        window.onJoystickEvent(report);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Reports; ++i)
        window.onJoystickEvent(reports.at(i % reports.size()));
    verdict("input path, window slot", Reports / (clock.nsecsElapsed() / 1e9));

    // The reader drains what the wheel queued as fast as it comes.
    constexpr int Queued = 20000;
    auto *axis = window.findChild<QProgressBar *>(QStringLiteral("pgAdcR"));
    QCoreApplication::processEvents();
    clock.restart();
    for (int i = 0; i < Queued; ++i)
        wheel->queueInput(
            inputs(i, i + 1 == Queued ? LastAxis : static_cast<std::uint16_t>(i % 3000)));
    while (axis->value() != LastAxis)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    verdict("input path, wheel to window", Queued / (clock.nsecsElapsed() / 1e9));
    return 0;
}
