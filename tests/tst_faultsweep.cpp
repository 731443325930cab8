#include "app/delays.h"
#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "support/findwidget.h"
#include "support/firmwareimage.h"
#include "support/testenv.h"
#include "support/windowlook.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <thread>

// Every operation that talks to the wheel, against every way the wheel can
// let it down: unplugged just before or in the middle, a failed send, a
// failed get, a garbled answer, a slow wheel. Whatever happens, the window
// ends waiting or connected with no upload left running, never tells of a
// success that was none, keeps the wheel's stored settings or stores what
// the user saved, and finds and reads the wheel again when it comes back.
namespace {

using namespace std::chrono_literals;

enum Fault { UnplugBefore, UnplugMiddle, FailedSend, FailedGet, Garbled, Slow, FaultCount };
const char *const FaultNames[] = {"unplugged before", "unplugged in the middle", "failed send",
                                  "failed get",       "garbled answer",          "slow wheel"};
constexpr auto MiddleLatency = 10ms;
constexpr auto SlowLatency = 50ms;
constexpr int ImageSize = 320;

// What an operation stores on the wheel when it succeeds.
enum class Saves { Nothing, BitePoint, PulseWidth, Leds, Defaults };

struct Sweep
{
    std::unique_ptr<MainWindow> window;
    std::shared_ptr<emu::Wheel> wheel;
    QString image;

    template <typename T = QPushButton> T *w(const char *name) { return child<T>(*window, name); }
};

struct Operation
{
    const char *name;
    emu::Model model;
    // Transfers done when the unplug in the middle comes.
    int middle;
    // The box that tells of success; none for the live updates.
    const char *success;
    Saves saves;
    std::function<void(Sweep &)> prepare;
    std::function<void(Sweep &)> act;
    // Its transfers run on the upload thread.
    bool uploads = false;
};

const std::vector<Operation> &operations()
{
    static const std::vector<Operation> all = {
        {"connection reads", emu::Model::Demta, 9, nullptr, Saves::Nothing, nullptr,
         [](Sweep &s) { s.window = std::make_unique<MainWindow>(); }},
        {"PADDLES save", emu::Model::Demta, 1, "Setting saved.", Saves::BitePoint,
         [](Sweep &s) { s.w<QSlider>("hsBite")->setValue(70); },
         [](Sweep &s) { s.w("pbSaveP")->click(); }},
        {"pulse width save", emu::Model::Demta, 0, "Setting saved.", Saves::PulseWidth,
         [](Sweep &s) { s.w<QSlider>("hsTrigger")->setValue(40); },
         [](Sweep &s) { s.w("pbSaveEnc")->click(); }},
        {"LED save", emu::Model::Demta, 2, "LED colors saved.", Saves::Leds,
         [](Sweep &s) {
             dialogs::script::queueColor(Qt::red);
             s.w("pbB1")->click();
         },
         [](Sweep &s) { s.w("pbSave")->click(); }},
        {"bite release", emu::Model::Demta, 0, nullptr, Saves::Nothing,
         [](Sweep &s) { s.w<QSlider>("hsBite")->setValue(70); },
         [](Sweep &s) { emit s.w<QSlider>("hsBite")->sliderReleased(); }},
        {"clutch toggle", emu::Model::Demta, 0, nullptr, Saves::Nothing, nullptr,
         [](Sweep &s) { s.w<QAbstractButton>("cbClutch")->click(); }},
        {"pulse release", emu::Model::Demta, 0, nullptr, Saves::Nothing,
         [](Sweep &s) { s.w<QSlider>("hsTrigger")->setValue(40); },
         [](Sweep &s) { emit s.w<QSlider>("hsTrigger")->sliderReleased(); }},
        {"colour pick", emu::Model::Demta, 2, nullptr, Saves::Nothing, nullptr,
         [](Sweep &s) {
             dialogs::script::queueColor(Qt::blue);
             s.w("pbB1")->click();
         }},
        {"teaching", emu::Model::Demta, 1, nullptr, Saves::Nothing, nullptr,
         [](Sweep &s) {
             s.w("pbBearLCa")->click();
             s.w("pbBearLCa")->click();
         }},
        {"clear flash", emu::Model::Demta, 0, "Flash data has been cleared.", Saves::Defaults,
         nullptr,
         [](Sweep &s) {
             dialogs::script::queueButton(QMessageBox::Yes);
             s.w("pbClearFlash")->click();
         }},
        {"battery poll", emu::Model::Ralka, 1, nullptr, Saves::Nothing, nullptr,
         [](Sweep &s) { QVERIFY(QMetaObject::invokeMethod(s.window.get(), "onBatScan")); }},
        {"firmware upload", emu::Model::Demta, 8, "Firmware updated successfully.", Saves::Nothing,
         [](Sweep &s) { s.w<QLineEdit>("lePath")->setText(s.image); },
         [](Sweep &s) { s.w("pbUpgrade")->click(); }, true},
    };
    return all;
}

// Feature and output transfers; only those of the upload thread when asked,
// as the window may look for the wheel meanwhile.
int transfers(bool failedOnly, bool uploadOnly = false)
{
    int count = 0;
    for (const emu::LogEntry &entry : emu::log())
        count += entry.kind != emu::Transfer::Read && (!failedOnly || entry.result < 0) &&
                 (!uploadOnly || entry.thread != std::this_thread::get_id());
    return count;
}

// An answer to the right item whose bytes make no sense.
emu::Report garbled(std::uint8_t item)
{
    emu::Report answer;
    answer.fill(0xA5);
    answer[0] = 0x02;
    answer[1] = item;
    return answer;
}

void setLatency(std::chrono::microseconds latency)
{
    for (emu::Transfer kind :
         {emu::Transfer::SendFeature, emu::Transfer::GetFeature, emu::Transfer::Write})
        emu::setLatency(kind, latency);
}

} // namespace

class TestFaultSweep : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void sweep_data();
    void sweep();

private:
    QTemporaryDir folder;
    Sweep s;
    int passed = 0;
    int failed = 0;
};

void TestFaultSweep::initTestCase()
{
    testenv::isolate();
    QVERIFY(folder.isValid());
    s.image = folder.filePath(QStringLiteral("sweep.bin"));
    QVERIFY(firmwareimage::write(s.image, firmwareimage::make(ImageSize)));
}

void TestFaultSweep::init()
{
    emu::setFirmwareTiming({30ms, 30ms});
}

void TestFaultSweep::cleanup()
{
    // The window's threads end with it.
    s.window.reset();
    QCOMPARE(emu::misuseCount(), 0);
    ++(QTest::currentTestFailed() ? failed : passed);
    s.wheel.reset();
    emu::reset();
    dialogs::script::reset();
    testenv::clearSettings();
}

void TestFaultSweep::cleanupTestCase()
{
    qInfo("fault sweep: %d passed, %d failed", passed, failed);
}

void TestFaultSweep::sweep_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("fault");
    for (std::size_t op = 0; op < operations().size(); ++op) {
        for (int fault = 0; fault < FaultCount; ++fault)
            QTest::addRow("%s, %s", operations()[op].name, FaultNames[fault])
                << static_cast<int>(op) << fault;
    }
}

void TestFaultSweep::sweep()
{
    QFETCH(int, operation);
    QFETCH(int, fault);
    const Operation &op = operations()[static_cast<std::size_t>(operation)];

    // Stored settings unlike the defaults, so that a clearing shows.
    s.wheel = emu::plug(op.model);
    emu::Settings before = s.wheel->stored();
    before.paddleMode = 60;
    before.pulseWidth = 80;
    emu::LedImage beforeLeds;
    beforeLeds.fill(0x37);
    s.wheel->setStored(before);
    s.wheel->setLive(before);
    s.wheel->setStoredLeds(beforeLeds);
    s.wheel->setLiveLeds(beforeLeds);
    // All but the first operation start on a connected window.
    if (operation > 0) {
        s.window = std::make_unique<MainWindow>();
        QTRY_VERIFY(windowlook::isConnected(*s.window));
        // The clutch state goes back to the wheel once after connection.
        QTRY_VERIFY(transfers(false) >= 19);
        if (op.prepare)
            op.prepare(s);
    }
    QTest::qWait(20);
    emu::clearLog();
    dialogs::script::reset();

    std::thread unplugger;
    switch (fault) {
    case UnplugBefore:
        s.wheel->unplug();
        break;
    case UnplugMiddle:
        setLatency(MiddleLatency);
        unplugger = std::thread([wheel = s.wheel, middle = op.middle] {
            const auto end = emu::Clock::now() + 5s;
            while (transfers(false) < middle && emu::Clock::now() < end)
                std::this_thread::sleep_for(200us);
            std::this_thread::sleep_for(MiddleLatency / 2);
            wheel->unplug();
        });
        break;
    case FailedSend:
        emu::failNext(emu::Transfer::SendFeature, 1);
        emu::failNext(emu::Transfer::Write, 1);
        break;
    case FailedGet:
        emu::failNext(emu::Transfer::GetFeature, 1);
        break;
    case Garbled:
        for (std::uint8_t item = 0; item <= 0x10; ++item) {
            s.wheel->setRawAnswer(item, 0, garbled(item));
            s.wheel->setRawAnswer(0x0C, item, garbled(0x0C));
        }
        break;
    case Slow:
        setLatency(SlowLatency);
        break;
    }

    op.act(s);
    if (unplugger.joinable()) {
        // The connection reads run from the event loop.
        QTRY_VERIFY_WITH_TIMEOUT(!s.wheel->isPlugged(), 6000);
        unplugger.join();
    }
    const bool unplugged = !s.wheel->isPlugged();
    // An upload ends, however it ends, and the window looks for the wheel.
    QTRY_VERIFY_WITH_TIMEOUT(s.w("pbUpgrade")->isEnabled(), 10000);
    // The operation is over: a failure left unused must not meet the next
    // connection's reads instead.
    const bool anyFailed = transfers(true, op.uploads) > 0;
    emu::clearFailures();
    QTest::qWait(delays::ms(delays::ReconnectMs) + 50);
    const auto settled = [&] {
        return unplugged ? windowlook::isWaiting(*s.window) : windowlook::isConnected(*s.window);
    };
    QTRY_VERIFY2_WITH_TIMEOUT(settled(), qPrintable(windowlook::describe(*s.window)), 5000);
    QTest::qWait(50);
    QVERIFY2(settled(), qPrintable(windowlook::describe(*s.window)));

    // A failed transfer ends in an error box, never in a success box; an
    // operation that tells its end and met no failure tells of success.
    int successes = 0, errors = 0;
    for (const dialogs::ShownBox &box : dialogs::script::boxes()) {
        successes += op.success && box.text == QLatin1String(op.success);
        errors += box.icon == QMessageBox::Critical;
    }
    if (op.success) {
        QVERIFY(successes + errors <= 1);
        // A wheel gone before the operation leaves two honest ends: the
        // window noticed first and did nothing, or the operation met the
        // closed wheel (no transfer at all) and said it failed.
        if (anyFailed)
            QCOMPARE(errors, 1);
        else if (fault == UnplugBefore)
            QCOMPARE(successes, 0);
        else if (!unplugged)
            QCOMPARE(successes, 1);
    } else {
        QCOMPARE(successes + errors, 0);
    }

    // The wheel keeps what it had, or what the user saved; all of it when
    // the window said so.
    emu::Settings intended = before;
    emu::LedImage intendedLeds = beforeLeds;
    switch (op.saves) {
    case Saves::BitePoint:
        intended.paddleMode = 70;
        break;
    case Saves::PulseWidth:
        intended.pulseWidth = 40;
        break;
    case Saves::Leds:
        intendedLeds = s.wheel->liveLeds();
        break;
    case Saves::Defaults:
        intended = s.wheel->defaults();
        intendedLeds.fill(0xFF);
        break;
    case Saves::Nothing:
        break;
    }
    const emu::Settings stored = s.wheel->stored();
    QVERIFY(stored == before || stored == intended);
    QVERIFY(s.wheel->storedLeds() == beforeLeds || s.wheel->storedLeds() == intendedLeds);
    if (successes > 0) {
        QVERIFY(stored == intended);
        QVERIFY(s.wheel->storedLeds() == intendedLeds);
    }

    // The wheel comes back whole: the window finds it, shows what it keeps
    // and reads its inputs.
    setLatency(0us);
    s.wheel->clearRawAnswers();
    if (!unplugged) {
        s.wheel->unplug();
        QTRY_VERIFY(windowlook::isWaiting(*s.window));
    }
    s.wheel->replug();
    QTRY_VERIFY_WITH_TIMEOUT(windowlook::isConnected(*s.window), 5000);
    QCOMPARE(s.w<QSlider>("hsBite")->value(), int{s.wheel->stored().paddleMode});
    QCOMPARE(s.w<QSlider>("hsTrigger")->value(), s.wheel->stored().pulseWidth);
    s.wheel->setHeld(0, true);
    QTRY_VERIFY(!s.w<QWidget>("pbIB1")->isHidden());
}

QTEST_MAIN(TestFaultSweep)
#include "tst_faultsweep.moc"
