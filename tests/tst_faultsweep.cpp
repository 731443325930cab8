#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "support/findwidget.h"
#include "support/firmwareimage.h"
#include "support/windowfixture.h"
#include "support/windowlook.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

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

// What an operation stores on the wheel when it succeeds.
enum class Saves { Nothing, BitePoint, PulseWidth, Leds, Defaults };

struct Operation
{
    const char *name;
    // Transfers done when the unplug in the middle comes.
    int middle;
    // The box that tells of success; none for the live updates.
    const char *success;
    Saves saves;
    // Steps on a connected window, as run() takes them; without any, the
    // operation is the connection itself.
    const char *prepare;
    const char *act;
    // Its transfers run on the upload thread.
    bool uploads = false;
    emu::Model model = emu::Model::Demta;
};

const Operation Operations[] = {
    {"connection reads", 9, nullptr, Saves::Nothing, nullptr, nullptr},
    {"PADDLES save", 1, "Setting saved.", Saves::BitePoint, "hsBite 70", "pbSaveP"},
    {"pulse width save", 0, "Setting saved.", Saves::PulseWidth, "hsTrigger 40", "pbSaveEnc"},
    {"LED save", 2, "LED colors saved.", Saves::Leds, "#ff0000; pbB1", "pbSave"},
    {"bite release", 0, nullptr, Saves::Nothing, "hsBite 70", "hsBite released"},
    {"clutch toggle", 0, nullptr, Saves::Nothing, "", "cbClutch"},
    {"pulse release", 0, nullptr, Saves::Nothing, "hsTrigger 40", "hsTrigger released"},
    {"colour pick", 2, nullptr, Saves::Nothing, "", "#0000ff; pbB1"},
    {"teaching", 1, nullptr, Saves::Nothing, "", "pbBearLCa; pbBearLCa"},
    {"clear flash", 0, "Flash data has been cleared.", Saves::Defaults, "", "Yes; pbClearFlash"},
    {"battery poll", 1, nullptr, Saves::Nothing, "", "onBatScan", false, emu::Model::Ralka},
    // The settings backup's nine queries (18 transfers) come first; a wheel
    // that does not answer them is updated anyway.
    {"firmware upload", 26, "Firmware updated successfully.", Saves::Nothing, "image",
     "Yes; pbUpgrade", true},
};

QString imagePath;

// Steps "; " apart: "name" clicks a button, "name 70" sets a slider, "name
// released" lets go of it, a colour or "Yes" answers the next box, "image"
// enters the update file, "onBatScan" polls the battery.
void run(MainWindow &window, const QString &steps)
{
    for (const QString &step : steps.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        const QStringList w = step.split(' ');
        const QByteArray name = w[0].toLatin1();
        if (step.startsWith('#'))
            dialogs::script::queueColor(QColor(step));
        else if (step == "Yes")
            dialogs::script::queueButton(QMessageBox::Yes);
        else if (step == "image")
            child<QLineEdit>(window, "lePath")->setText(imagePath);
        else if (step == "onBatScan")
            QVERIFY(QMetaObject::invokeMethod(&window, name.constData()));
        else if (w.size() == 1)
            child<QAbstractButton>(window, name)->click();
        else if (w[1] == "released")
            emit child<QSlider>(window, name)->sliderReleased();
        else
            child<QSlider>(window, name)->setValue(w[1].toInt());
    }
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

// An answer to the right item (and parameter) whose bytes make no sense.
emu::Report garbled(std::uint8_t item, std::uint8_t parameter = 0xA5)
{
    emu::Report answer;
    answer.fill(0xA5);
    answer[0] = 0x02;
    answer[1] = item;
    answer[2] = parameter;
    return answer;
}

void setLatency(std::chrono::microseconds latency)
{
    for (emu::Transfer kind :
         {emu::Transfer::SendFeature, emu::Transfer::GetFeature, emu::Transfer::Write})
        emu::setLatency(kind, latency);
}

} // namespace

class TestFaultSweep : public WindowTest
{
    Q_OBJECT

    QTemporaryDir folder;
    std::shared_ptr<emu::Wheel> wheel;

    template <typename T = QWidget> T *w(const char *name) { return child<T>(*window, name); }

private slots:
    void initTestCase()
    {
        WindowTest::initTestCase();
        imagePath = folder.filePath(QStringLiteral("sweep.bin"));
        QVERIFY(firmwareimage::write(imagePath, firmwareimage::make(320)));
    }
    void init() { emu::setFirmwareTiming({30ms, 30ms}); }
    void cleanup()
    {
        wheel.reset();
        WindowTest::cleanup();
    }

    void sweep_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("fault");
        for (int op = 0; op < int(std::size(Operations)); ++op) {
            for (int fault = 0; fault < FaultCount; ++fault)
                QTest::addRow("%s, %s", Operations[op].name, FaultNames[fault]) << op << fault;
        }
    }
    void sweep()
    {
        QFETCH(int, operation);
        QFETCH(int, fault);
        const Operation &op = Operations[operation];

        // Stored settings unlike the defaults, so that a clearing shows.
        wheel = emu::plug(op.model);
        emu::Settings before = wheel->stored();
        before.paddleMode = 60;
        before.pulseWidth = 80;
        emu::LedImage beforeLeds;
        beforeLeds.fill(0x37);
        wheel->setStored(before);
        wheel->setLive(before);
        wheel->setStoredLeds(beforeLeds);
        wheel->setLiveLeds(beforeLeds);
        if (op.act) {
            connectWindow();
            // The clutch state goes back to the wheel once after connection.
            QTRY_VERIFY(transfers(false) >= 19);
            run(*window, op.prepare);
        }
        emu::clearLog();
        dialogs::script::reset();

        std::thread unplugger;
        if (fault == UnplugBefore)
            wheel->unplug();
        if (fault == UnplugMiddle || fault == Slow)
            setLatency(fault == Slow ? 50ms : MiddleLatency);
        if (fault == UnplugMiddle) {
            unplugger = std::thread([wheel = wheel, middle = op.middle] {
                const auto end = emu::Clock::now() + 5s;
                while (transfers(false) < middle && emu::Clock::now() < end)
                    std::this_thread::sleep_for(200us);
                std::this_thread::sleep_for(MiddleLatency / 2);
                wheel->unplug();
            });
        }
        if (fault == FailedSend) {
            emu::failNext(emu::Transfer::SendFeature, 1);
            emu::failNext(emu::Transfer::Write, 1);
        }
        if (fault == FailedGet)
            emu::failNext(emu::Transfer::GetFeature, 1);
        for (std::uint8_t item = 0; fault == Garbled && item <= 0x10; ++item) {
            wheel->setRawAnswer(item, 0, garbled(item));
            wheel->setRawAnswer(0x0C, item, garbled(0x0C, item));
        }

        if (op.act)
            run(*window, op.act);
        else
            window = std::make_unique<MainWindow>();
        if (unplugger.joinable()) {
            // The connection reads run from the event loop.
            QTRY_VERIFY_WITH_TIMEOUT(!wheel->isPlugged(), 6000);
            unplugger.join();
        }
        const bool unplugged = !wheel->isPlugged();
        // An upload ends, however it ends, and the window looks for the wheel.
        QTRY_VERIFY_WITH_TIMEOUT(w("pbUpgrade")->isEnabled(), 10000);
        // The operation is over: a failure left unused must not meet the next
        // connection's reads instead.
        const bool anyFailed = transfers(true, op.uploads) > 0;
        emu::clearFailures();
        // One retry (3 s) and a little: a search the failure set off has run.
        QTest::qWait(3000 / 20 + 50);
        const auto settled = [&] {
            return unplugged ? windowlook::isWaiting(*window) : windowlook::isConnected(*window);
        };
        QTRY_VERIFY2_WITH_TIMEOUT(settled(), qPrintable(windowlook::describe(*window)), 5000);
        QTest::qWait(50); // and it stays so
        QVERIFY2(settled(), qPrintable(windowlook::describe(*window)));

        // A failed transfer ends in an error box, never in a success box; an
        // operation that tells its end and met no failure tells of success.
        int successes = 0, errors = 0;
        for (const dialogs::ShownBox &box : dialogs::script::boxes()) {
            successes += op.success && box.text == QLatin1String(op.success);
            errors += box.icon == QMessageBox::Critical;
        }
        // A clearing the wheel took is done, even when reading the cleared
        // wheel back failed: that read drops the connection like any
        // connection read.
        const bool cleared = op.saves == Saves::Defaults && wheel->flashClears() > 0;
        if (op.success) {
            QVERIFY(successes + errors <= 1);
            // A wheel gone before the operation leaves two honest ends: the
            // window noticed first and did nothing, or the operation met the
            // closed wheel (no transfer at all) and said it failed.
            if (cleared)
                QCOMPARE(successes, 1);
            else if (anyFailed)
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
        if (op.saves == Saves::BitePoint)
            intended.paddleMode = 70;
        if (op.saves == Saves::PulseWidth)
            intended.pulseWidth = 40;
        if (op.saves == Saves::Leds)
            intendedLeds = wheel->liveLeds();
        if (op.saves == Saves::Defaults) {
            intended = wheel->defaults();
            intendedLeds.fill(0xFF);
        }
        const emu::Settings stored = wheel->stored();
        QVERIFY(stored == intended || (successes == 0 && stored == before));
        QVERIFY(wheel->storedLeds() == intendedLeds ||
                (successes == 0 && wheel->storedLeds() == beforeLeds));

        // The wheel comes back whole: the window finds it, shows what it keeps
        // and reads its inputs.
        setLatency(0us);
        wheel->clearRawAnswers();
        if (!unplugged) {
            wheel->unplug();
            QTRY_VERIFY(windowlook::isWaiting(*window));
        }
        wheel->replug();
        QTRY_VERIFY_WITH_TIMEOUT(windowlook::isConnected(*window), 5000);
        QCOMPARE(w<QSlider>("hsBite")->value(), int{wheel->stored().paddleMode});
        QCOMPARE(w<QSlider>("hsTrigger")->value(), wheel->stored().pulseWidth);
        wheel->setHeld(0, true);
        QTRY_VERIFY(!w("pbIB1")->isHidden());
    }
};

QTEST_MAIN(TestFaultSweep)
#include "tst_faultsweep.moc"
