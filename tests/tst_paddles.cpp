#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "support/debugcapture.h"
#include "support/findwidget.h"
#include "support/testenv.h"
#include "support/transfers.h"
#include "support/windowfixture.h"
#include "support/windowlook.h"

#include <QAbstractButton>
#include <QProgressBar>
#include <QSettings>
#include <QSlider>
#include <QTest>

// The PADDLES and INPUTS pages on an emulated wheel. Each row is a
// script of steps, "; " apart: actions on the wheel and the window, and
// checks "what = expected" that compare what the window shows, what the
// wheel received (trailing zero bytes left out) and what it keeps.
namespace {

emu::InputReport inputReport(std::uint16_t axisR, std::uint16_t axisL, const QStringList &held)
{
    emu::InputReport report{static_cast<std::uint8_t>(axisR), static_cast<std::uint8_t>(axisR >> 8),
                            static_cast<std::uint8_t>(axisL),
                            static_cast<std::uint8_t>(axisL >> 8)};
    for (const QString &index : held)
        report[4 + index.toInt() / 8] |= static_cast<std::uint8_t>(1 << (index.toInt() % 8));
    return report;
}

QString calibrationKey(const QString &productId, const QString &axis)
{
    return testenv::calibrationKey(productId.toInt(nullptr, 16), axis.toInt());
}

bool isIndicator(const QString &name)
{
    return (name.startsWith(QLatin1String("pbI")) || name.startsWith(QLatin1String("pbJ")) ||
            name.startsWith(QLatin1String("pbSW"))) &&
           !name.startsWith(QLatin1String("pbISW"));
}

class Script
{
public:
    void run(const QString &script)
    {
        for (const QString &step : script.split(QStringLiteral("; "))) {
            const int equals = step.indexOf(QLatin1String(" = "));
            if (equals < 0)
                act(step.split(QLatin1Char(' ')));
            else
                check(step.left(equals).split(' '), step);
            if (QTest::currentTestFailed())
                return;
        }
    }

private:
    // The log and the boxes start afresh behind each check of them.
    void check(const QStringList &what, const QString &step)
    {
        QCOMPARE(what.join(' ') + " = " + actual(what), step);
        if (what[0] == "sent")
            emu::clearLog();
        if (what[0] == "boxes")
            dialogs::script::reset();
    }

    template <typename T = QWidget> T *widget(const QString &name)
    {
        return child<T>(*window, qPrintable(name));
    }

    void act(const QStringList &w)
    {
        const QString &a = w[0];
        if (a == "plug") {
            const QString model = w[1];
            wheel = emu::plug(model == "DEMTA"   ? emu::Model::Demta
                              : model == "SOVIN" ? emu::Model::Sovin
                                                 : emu::Model::Ralka,
                              w.value(2, "2007").toUShort(nullptr, 16));
        } else if (a == "unplug") {
            wheel->unplug();
            QTRY_VERIFY(windowlook::isWaiting(*window));
        } else if (a == "stored") {
            emu::Settings stored = wheel->stored();
            stored.paddleMode = static_cast<std::uint8_t>(w[1].toInt());
            stored.clutch = w[2].toInt();
            stored.pulseWidth = w.value(3, "100").toInt();
            wheel->setStored(stored);
        } else if (a == "set") {
            QSettings("Nolk Controls", "NolkSet").setValue(w[1], w[2]);
        } else if (a == "calibration") {
            testenv::directInput().setValue(calibrationKey(w[1], w[2]),
                                   QByteArray::fromHex(w[3].toLatin1()));
        } else if (a == "answer") {
            wheel->setRawAnswer(0x0C, 0x08, answerFrom(w[1].toLatin1()));
        } else if (a == "fail") {
            const auto kind =
                w[1] == "send" ? emu::Transfer::SendFeature : emu::Transfer::GetFeature;
            if (w[2] == "next")
                emu::failNext(kind, w[3].toInt());
            else
                emu::failFrom(kind, w[3].toInt());
        } else if (a == "heal") {
            emu::clearFailures();
        } else if (a == "connect") {
            if (!window)
                window = std::make_unique<MainWindow>();
            QTRY_VERIFY(windowlook::isConnected(*window));
            // The clutch state goes back to the wheel once after connection.
            QTRY_VERIFY(actual({"sent"}).contains("020c08"));
            emu::clearLog();
            dialogs::script::reset();
            debug.clear();
        } else if (a == "quit") {
            window.reset();
        } else if (a == "start") {
            // The paddle mode is queried after the four LED blocks.
            window = std::make_unique<MainWindow>();
            QTRY_VERIFY(actual({"sent"}).contains("020b0a"));
        } else if (a == "click") {
            widget<QAbstractButton>(w[1])->click();
        } else if (a == "bite" || a == "pulse") {
            widget<QSlider>(a == "bite" ? "hsBite" : "hsTrigger")->setValue(w[1].toInt());
        } else if (a == "release") {
            emit widget<QSlider>(w.value(1, "hsBite"))->sliderReleased();
        } else if (a == "axes") {
            wheel->queueInput(inputReport(w[1].toUShort(), w[2].toUShort(), {}));
        } else if (a == "input") {
            // The report's axis R tells when the window has drawn it: reports
            // are drawn in order.
            sequence = sequence >= 2400 ? 2001 : sequence + 1;
            wheel->queueInput(inputReport(sequence, 2048, w.mid(1)));
            QTRY_COMPARE(widget<QProgressBar>("pgAdcR")->value(), int{sequence});
        } else if (a == "close") {
            widget<QAbstractButton>("pbClose")->click();
        } else {
            QFAIL(qPrintable("unknown step " + w.join(' ')));
        }
    }

    QString actual(const QStringList &w)
    {
        const QString &what = w[0];
        QStringList out;
        if (what == "sent") {
            for (QByteArray sent : sentReports()) {
                while (sent.endsWith(" 00"))
                    sent.chop(3);
                if (!sent.endsWith("failed"))
                    out << QString::fromLatin1(sent.replace(' ', ""));
            }
        } else if (what == "boxes") {
            for (const dialogs::ShownBox &box : dialogs::script::boxes()) {
                const QString shown = QString::number(box.icon) + box.title + ": " + box.text;
                out << (shown == "1Success: Setting saved."        ? "saved"
                        : shown == "3Error: Can not save setting." ? "failed"
                                                                   : shown);
            }
        } else if (what == "stored") {
            const emu::Settings stored = wheel->stored();
            if (w.value(1) == "pulse")
                out << QString::number(stored.pulseWidth);
            else
                out << QString::number(stored.paddleMode) << QString::number(stored.clutch);
        } else if (what == "taught") {
            const auto parameter = static_cast<std::uint8_t>(w[1].toInt());
            out << QString::number(wheel->isTeaching(parameter))
                << QString::number(wheel->timesTaught(parameter));
        } else if (what == "calibration") {
            out << testenv::directInput().value(calibrationKey(w[1], w[2])).toByteArray().toHex();
        } else if (what == "range") {
            const auto *bar = widget<QProgressBar>(w[1]);
            out << QStringLiteral("%1-%2").arg(bar->minimum()).arg(bar->maximum());
        } else if (what == "setting") {
            out << QSettings("Nolk Controls", "NolkSet").value(w[1], "-").toString();
        } else if (what == "shown") {
            for (QWidget *indicator : widget("page1")->findChildren<QWidget *>()) {
                const QString name = indicator->objectName();
                if (isIndicator(name) && !indicator->isHidden())
                    out << name;
                // The status tip remembers what the last report did.
                if (isIndicator(name) &&
                    indicator->statusTip() != (indicator->isHidden() ? "HIDE" : "SHOW"))
                    out << name + " tip " + indicator->statusTip();
            }
            out.sort();
        } else if (what == "debug") {
            out = debug.lines();
            out.removeIf([](const QString &line) { return !isIndicator(line); });
        } else if (what == "hidden") {
            out << QVariant(widget(w[1])->isHidden()).toString();
        } else {
            out << widget(w[1])->property(qPrintable(what)).toString();
        }
        return out.join(' ');
    }

    std::shared_ptr<emu::Wheel> wheel;
    std::unique_ptr<MainWindow> window;
    DebugCapture debug;
    std::uint16_t sequence = 2000;
};

} // namespace

class TestPaddles : public WindowTest
{
    Q_OBJECT

private slots:
    void paddlesPage_data();
    void paddlesPage() { script(); }
    void inputsView_data();
    void inputsView() { script(); }

private:
    void script()
    {
        QFETCH(QString, steps);
        Script().run(steps);
    }
};

void TestPaddles::paddlesPage_data()
{
    QTest::addColumn<QString>("steps");
    const QString ralka = "plug RALKA; connect; ";
    // Sides and bite point reach the wheel only with the slider's release.
    QTest::newRow("live mode") << ralka + "click rbPadL; bite 100; sent = ; text lbBite = 100%; "
                                          "release; sent = 020a64; click rbPadR; bite 0; release; "
                                          "bite 100; release; bite 30; click rbPadNo; release; "
                                          "sent = 020a65 020ac9 020aff";

    QTest::newRow("230 is stored as FF")
        << "plug RALKA; stored 230 1; connect; checked rbPadNo = true; click pbSaveP; "
           "sent = 020affef0000100010 020b0c08; boxes = saved; stored = 255 1";
    QTest::newRow("clutch answer 255, clutch on")
        << ralka + "answer 020c08ff00000000a1a2a3a4a5a6a7a8a9aaabac; click pbSaveP; "
                   "sent = 020b0c08 020c0801000000efa1a2a3a4a5a6a7a8a9aaabac; boxes = saved";
    // Any answer meaning on is on: no write while the page says on too.
    QTest::newRow("clutch answer -1 is on")
        << ralka + "answer 020c08ffffffff; click pbSaveP; sent = 020b0c08; boxes = saved";
    QTest::newRow("clutch off stored")
        << ralka + "click cbClutch; sent = 020c08ff; click pbSaveP; sent = 020b0c08 "
                   "020c08ff000000ef; stored = 50 255";
    // A paddle write the wheel did not take goes out again with the next save,
    // and only then; without a stored calibration the axes go out as 0 to 4096.
    QTest::newRow("failed paddle write retried")
        << ralka + "click rbPadR; fail send next 1; click pbSaveP; sent = 020b0c08; boxes = "
                   "failed; click pbSaveP; sent = 020a97ef0000100010 020b0c08; click pbSaveP; "
                   "sent = 020b0c08; boxes = saved saved; stored = 151 1";
    QTest::newRow("failed clutch write")
        << ralka + "answer 020c08ff; fail send from 1; click pbSaveP; sent = 020b0c08; boxes = "
                   "failed; stored = 50 1";
    // An answer for another parameter is no clutch state, though it reads as on.
    QTest::newRow("clutch answer without its echo")
        << ralka + "click cbClutch; answer 020c0401; click pbSaveP; sent = 020c08ff 020b0c08; "
                   "boxes = failed; stored = 50 1";

    QTest::newRow("close stores silently") << ralka + "bite 70; close; boxes = ; stored = 70 1";
    // The connection reads four LED blocks, then the paddle mode, the pulse
    // width and the clutch: what was not read is not stored at exit.
    QTest::newRow("close after unread paddle mode")
        << "plug RALKA; stored 150 1; fail get from 4; start; heal; close; stored = 150 1";

    const QString demta = "plug DEMTA; set EXTRA_SHIFTER %1; stored 50 %2; connect; ";
    QTest::newRow("clutch flips, shifters stay")
        << demta.arg("true", "1") +
               "click cbClutch; sent = 020c08ff; checked cbShifter = true; hidden groupBox = true; "
               "hidden pgAdcL = true; hidden pbCalR = true; click cbClutch; sent = 020c0801; "
               "checked cbShifter = true; hidden groupBox = false; hidden pgAdcR = false";
    // RALKA offers no extra shifters: they are off while it is connected, and
    // the DEMTA owner's choice is kept for the DEMTA.
    QTest::newRow("RALKA before and after DEMTA")
        << "set EXTRA_SHIFTER true; plug RALKA; connect; checked cbShifter = false; hidden "
           "cbShifter = true; height gpBear = 111; setting EXTRA_SHIFTER = true; unplug; plug "
           "DEMTA; connect; checked cbShifter = true; checked cbClutch = true; height gpBear = "
           "191; unplug; plug RALKA; connect; checked cbShifter = false; height gpBear = 111; "
           "setting EXTRA_SHIFTER = true";
    QTest::newRow("shifters flip, clutch stays")
        << demta.arg("false", "255") +
               "click cbShifter; sent = ; checked cbClutch = false; height gpBear = 191; setting "
               "EXTRA_SHIFTER = true; click cbShifter; checked cbClutch = false; height gpBear = "
               "111; setting EXTRA_SHIFTER = false";

    const QString teach =
        "plug DEMTA; connect; click %1; text %1 = PRESS AND HOLD %2 SHIFTER THEN "
        "CLICK ME; sent = 020c%3; taught %3 = 1 0; click %1; text %1 = CALIBRATE; "
        "sent = 020c%3ffffffffef; taught %3 = 0 1";
    QTest::newRow("teach left") << teach.arg("pbBearLCa", "LEFT", "03");
    QTest::newRow("teach right") << teach.arg("pbBearRCa", "RIGHT", "05");
    QTest::newRow("teach extra left") << teach.arg("pbBearExLCa", "EXTRAL", "06");
    QTest::newRow("teach extra right") << teach.arg("pbBearExRCa", "EXTRAR", "07");
}

void TestPaddles::inputsView_data()
{
    QTest::addColumn<QString>("steps");
    const QString demta = "plug DEMTA; set EXTRA_SHIFTER %1; connect; ";
    QTest::newRow("held until its bit clears")
        << demta.arg("true") + "input 0 4; input 0; input 0 6; shown = pbIB1 pbIB2; "
                               "debug = pbIB1 pbID1L pbIB1 pbIB1 pbIB2";
    QTest::newRow("all zero hides all")
        << demta.arg("true") + "input 0 2 23 31 47 49; input; shown = ; debug = pbIB1 pbID5L pbSWL "
                               "pbSWR pbIB14 pbIExL";
    QTest::newRow("extra shifters off") << demta.arg("false") + "input 48 49 0; shown = pbIB1";
    QStringList all;
    for (int index = 0; index < 64; ++index)
        all << QString::number(index);
    // Every indicator of the page is some input's, in index order.
    QTest::newRow("every input")
        << demta.arg("true") + "input " + all.join(' ') +
               "; debug = pbIB1 pbID5L pbID5R pbID1L pbID1R pbIB2 pbIB6 pbJsL1 pbJsL2 pbJsL3 "
               "pbJsL4 pbJsLC pbJsLL pbJsLR pbIB5 pbID7L pbID7R pbID3L pbID3R pbIB3 pbIB4 pbIBarR "
               "pbSWL pbID8L pbID8R pbID4L pbID4R pbIB11 pbIB12 pbIBarL pbSWR pbIB9 pbID6L pbID6R "
               "pbID2L pbID2R pbIB10 pbIB13 pbJsR1 pbJsR2 pbJsR3 pbJsR4 pbJsRC pbJsRL pbJsRR "
               "pbIB14 pbIExR pbIExL";

    // Stored calibration L 1000 to 3000, R 1500 to 2500; the reports reach
    // L 300 to 3900 and R 100 to 4000. Sent as max R, max L, min R, min L.
    const QString calibrate =
        "calibration 2007 3 e8030000d0070000b80b0000; calibration 2007 2 "
        "dc050000d0070000c4090000; plug RALKA; connect; %1axes 100 3900; "
        "axes 4000 300; input; click rbPadR; click pbSaveP; sent = 020a97ef00%2 "
        "020b0c08";
    QTest::newRow("left calibrating") << calibrate.arg("click pbCalL; ", "c4093c0fdc052c01");
    QTest::newRow("right calibrating") << calibrate.arg("click pbCalR; ", "a00fb80b6400e803");
    // A calibration alone goes out with the unchanged mode, once the wheel
    // takes it; one never saved goes out with the next start's first save.
    const QString moved = "plug RALKA; connect; click pbCal%1; axes 100 3900; axes 4000 300; "
                          "input; click pbCal%1; range pgAdc%1 = %2; ";
    const QString left = moved.arg("L", "300-3900");
    QTest::newRow("calibration alone saved")
        << left + "fail send next 1; click pbSaveP; sent = 020b0c08; click pbSaveP; sent = "
                  "020a32ef0000103c0f00002c01 020b0c08; click pbSaveP; sent = 020b0c08; boxes = "
                  "failed saved saved; quit; connect; click pbSaveP; sent = 020b0c08";
    QTest::newRow("calibration saved at the next start")
        << moved.arg("R", "100-4000") + "quit; connect; range pgAdcR = 100-4000; close; sent = "
                                       "020a32ef00a00f001064 020b0c08";
    // A calibration that saw one value or none keeps the previous one: the
    // range, the kept value and what the wheel was given.
    const QString still =
        "calibration 2008 3 e8030000d0070000b80b0000; plug SOVIN 2008; connect; click pbCal%1; "
        "text pbCal%1 = SAVE; range pgAdc%1 = 0-4096; %2click pbCal%1; text pbCal%1 = "
        "CALIBRATE; range pgAdc%1 = %3; boxes = 1Notify: No paddle movement was recorded. The "
        "previous calibration is kept.; click pbSaveP; sent = 020b0c08; calibration 2008 %4 = "
        "%5; quit; connect; range pgAdc%1 = %3";
    QTest::newRow("left, one value")
        << still.arg("L", "input; ", "1000-3000", "3", "e8030000d0070000b80b0000");
    QTest::newRow("right, no reports") << still.arg("R", "", "0-4096", "2", "");

    // The slider's release sends the width live, leaving what the wheel keeps;
    // of two saves in a row only the first stores a new width, unless it failed.
    const QString pulse =
        "plug DEMTA; connect; pulse %1; text lbTrigger = %1ms; release hsTrigger; "
        "sent = 020c04%2; stored pulse = 100; %3click pbSaveEnc; click pbSaveEnc; "
        "sent = %4; boxes = %5; stored pulse = %1";
    QTest::newRow("pulse width 240")
        << pulse.arg("240", "f0", "", "020c04f0000000ef", "saved saved");
    QTest::newRow("pulse width unchanged") << pulse.arg("100", "64", "", "", "saved saved");
    QTest::newRow("pulse width write retried")
        << pulse.arg("240", "f0", "fail send next 1; ", "020c04f0000000ef", "failed saved");
    // What the wheel holds counts as stored, not the slider's clamped value.
    const QString held = "plug DEMTA; stored 50 1 %1; connect; value hsTrigger = %2; statusTip "
                         "hsTrigger = %1; click pbSaveEnc; sent = 020c04%3";
    QTest::newRow("pulse width 500 held") << held.arg("500", "240", "f0000000ef");
    QTest::newRow("pulse width -1 held") << held.arg("-1", "100", "64000000ef");

    const QString wait =
        "plug RALKA; connect; click pbEncoder; click pbEncoder; checked pbEncoder = "
        "true; text pbEncoder = ROTATE ONE ENCODER TO BIND BITEPOINT; ";
    const QString bound = "text pbEncoder = CLEAR BIND ENCODER; checked pbEncoder = false; ";
    QTest::newRow("bind by raising")
        << wait + "input 4; input; " + bound +
               "setting RALKA_ENCODER1 = 4; setting RALKA_ENCODER2 = 5; sent = ; click pbEncoder; "
               "text pbEncoder = ASSIGN ROTARY ENCODER; setting RALKA_ENCODER1 = -; input 4; "
               "input; sent = ";
    QTest::newRow("bind by lowering")
        << wait + "input 46; input; " + bound +
               "setting RALKA_ENCODER1 = 45; setting RALKA_ENCODER2 = 46";
    QTest::newRow("button released with an encoder")
        << wait + "input 0 4; input; checked pbEncoder = true; setting RALKA_ENCODER1 = -";
    QTest::newRow("two encoders: lowest index")
        << wait + "input 24 4; input; setting RALKA_ENCODER1 = 4";
    QTest::newRow("button, then encoder")
        << wait + "input 0; input; input 19; input; setting RALKA_ENCODER1 = 18";

    const QString steps = "set RALKA_ENCODER1 4; set RALKA_ENCODER2 5; plug RALKA; stored %1 1; "
                          "connect; sent = ; %2; value hsBite = %3; sent = %4";
    QTest::newRow("raise at 100") << steps.arg("100", "input 4; input", "100", "020a64");
    QTest::newRow("lower at 0") << steps.arg("0", "input 5; input", "0", "020a");
    QTest::newRow("both at 100") << steps.arg("100", "input 4 5; input", "99", "020a64 020a63");
    QTest::newRow("held") << steps.arg("50", "input 4; input 4 0; input 4; input 0", "51",
                                       "020a33");
    QTest::newRow("no clutch paddle") << steps.arg("255", "input 4; input", "51", "020aff");
    QTest::newRow("other encoder") << steps.arg("50", "input 2; input", "50", "");

    QTest::newRow("bound on another wheel name")
        << "set RALKA_ENCODER1 4; set RALKA_ENCODER2 5; plug RALKA; connect; unplug; plug DEMTA; "
           "connect; sent = ; text pbEncoder = CLEAR BIND ENCODER; input 4; input; input 5; "
           "input; sent = ; value hsBite = 50; click pbEncoder; setting RALKA_ENCODER1 = 4; "
           "click pbEncoder; input 36; input; setting DEMTA_ENCODER1 = 36; "
           "setting DEMTA_ENCODER2 = 37; input 37; input; sent = 020a31";
}

QTEST_MAIN(TestPaddles)
#include "tst_paddles.moc"
