#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "support/debugcapture.h"
#include "support/findwidget.h"
#include "support/testenv.h"
#include "support/windowlook.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTest>

#include <algorithm>

namespace {

using emu::Model;
using Reports = QList<QList<int>>;

const QString Waiting = QStringLiteral("ROTATE ONE ENCODER TO BIND BITEPOINT");
const QString Bound = QStringLiteral("CLEAR BIND ENCODER");
const QString Unbound = QStringLiteral("ASSIGN ROTARY ENCODER");

emu::InputReport inputReport(const QList<int> &held, std::uint16_t axisR, std::uint16_t axisL)
{
    emu::InputReport report{};
    report[0] = static_cast<std::uint8_t>(axisR);
    report[1] = static_cast<std::uint8_t>(axisR >> 8);
    report[2] = static_cast<std::uint8_t>(axisL);
    report[3] = static_cast<std::uint8_t>(axisL >> 8);
    for (int index : held)
        report[4 + index / 8] |= static_cast<std::uint8_t>(1 << (index % 8));
    return report;
}

// Sends the reports as the wheel's and returns once the window has drawn the
// last: each carries its own axis R value, and the window handles them in
// order.
bool deliver(emu::Wheel &wheel, QWidget &window, const Reports &reports)
{
    static std::uint16_t sequence = 1000;
    for (const QList<int> &held : reports) {
        sequence = sequence >= 3000 ? 1000 : sequence + 1;
        wheel.queueInput(inputReport(held, sequence, 2048));
    }
    auto *bar = child<QProgressBar>(window, "pgAdcR");
    return QTest::qWaitFor([&] { return bar->value() == sequence; });
}

bool isIndicator(const QString &name)
{
    return (name.startsWith(QLatin1String("pbI")) || name.startsWith(QLatin1String("pbJ")) ||
            name.startsWith(QLatin1String("pbSW"))) &&
           name != QLatin1String("pbISW1") && name != QLatin1String("pbISW2");
}

QStringList indicatorNames(QWidget &window)
{
    QStringList names;
    for (QWidget *widget : child<QWidget>(window, "page1")->findChildren<QWidget *>()) {
        if (isIndicator(widget->objectName()))
            names << widget->objectName();
    }
    names.sort();
    return names;
}

QStringList shownIndicators(QWidget &window)
{
    QStringList shown;
    for (const QString &name : indicatorNames(window)) {
        if (!window.findChild<QWidget *>(name)->isHidden())
            shown << name;
    }
    return shown;
}

QStringList liveSends()
{
    QStringList out;
    for (const emu::LogEntry &entry : emu::log()) {
        if (entry.kind == emu::Transfer::SendFeature && entry.result > 0)
            out << QByteArray(reinterpret_cast<const char *>(entry.bytes.data()), 3).toHex();
    }
    return out;
}

QVariant storedKey(const QString &key)
{
    return QSettings("Nolk Controls", "NolkSet").value(key);
}

} // namespace

class TestInputView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void indicators_data();
    void indicators();
    void calibrationExtremes_data();
    void calibrationExtremes();
    void binding_data();
    void binding();
    void boundEncoderSteps_data();
    void boundEncoderSteps();
    void bindingBelongsToWheelName();
};

void TestInputView::initTestCase()
{
    testenv::isolate();
}

void TestInputView::cleanup()
{
    emu::reset();
    testenv::clearSettings();
    QSettings(QSettings::IniFormat, QSettings::UserScope, "Nolk Controls", "DirectInput").clear();
}

void TestInputView::indicators_data()
{
    QTest::addColumn<bool>("extraShifters");
    QTest::addColumn<Reports>("reports");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("debugLines");

    QTest::newRow("held input stays shown until its bit clears")
        << true << Reports{{0, 4}, {0}, {0, 6}} << QStringList{"pbIB1", "pbIB2"}
        << QStringList{"pbIB1", "pbID1L", "pbIB1", "pbIB1", "pbIB2"};
    QTest::newRow("all-zero report hides everything")
        << true << Reports{{0, 2, 23, 31, 47, 49}, {}} << QStringList{}
        << QStringList{"pbIB1", "pbID5L", "pbSWL", "pbSWR", "pbIB14", "pbIExL"};
    QTest::newRow("extra shifters off: 48 and 49 never show")
        << false << Reports{{48, 49, 0}} << QStringList{"pbIB1"} << QStringList{"pbIB1"};
    QTest::newRow("extra shifters on: 48 and 49 show")
        << true << Reports{{48, 49}} << QStringList{"pbIExL", "pbIExR"}
        << QStringList{"pbIExR", "pbIExL"};
    Reports noIndicator{{1, 33}};
    for (int index = 50; index < 64; ++index)
        noIndicator[0] << index;
    QTest::newRow("inputs without an indicator change nothing")
        << true << noIndicator << QStringList{} << QStringList{};
    QList<int> all;
    for (int index = 0; index < 64; ++index)
        all << index;
    // Every indicator of the page has its input: the whole set lights up.
    QStringList allNames{"pbIB1",   "pbID5L",  "pbID5R", "pbID1L", "pbID1R", "pbIB2",  "pbIB6",
                         "pbJsL1",  "pbJsL2",  "pbJsL3", "pbJsL4", "pbJsLC", "pbJsLL", "pbJsLR",
                         "pbIB5",   "pbID7L",  "pbID7R", "pbID3L", "pbID3R", "pbIB3",  "pbIB4",
                         "pbIBarR", "pbSWL",   "pbID8L", "pbID8R", "pbID4L", "pbID4R", "pbIB11",
                         "pbIB12",  "pbIBarL", "pbSWR",  "pbIB9",  "pbID6L", "pbID6R", "pbID2L",
                         "pbID2R",  "pbIB10",  "pbIB13", "pbJsR1", "pbJsR2", "pbJsR3", "pbJsR4",
                         "pbJsRC",  "pbJsRL",  "pbJsRR", "pbIB14", "pbIExR", "pbIExL"};
    QStringList sorted = allNames;
    sorted.sort();
    QTest::newRow("every input in index order") << true << Reports{all} << sorted << allNames;
}

void TestInputView::indicators()
{
    QFETCH(bool, extraShifters);
    QFETCH(Reports, reports);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, debugLines);
    QSettings("Nolk Controls", "NolkSet").setValue("EXTRA_SHIFTER", extraShifters);
    auto wheel = emu::plug(Model::Demta);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    DebugCapture debug;

    QVERIFY(deliver(*wheel, window, reports));

    QCOMPARE(shownIndicators(window), shown);
    for (const QString &name : indicatorNames(window)) {
        const QString tip = window.findChild<QWidget *>(name)->statusTip();
        QCOMPARE(tip, QLatin1String(shown.contains(name) ? "SHOW" : "HIDE"));
    }
    QStringList lines = debug.lines();
    lines.removeIf([&](const QString &line) { return !isIndicator(line); });
    QCOMPARE(lines, debugLines);
}

void TestInputView::calibrationExtremes_data()
{
    QTest::addColumn<bool>("left");
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("ranges");

    // Stored calibration: L 1000 to 3000, R 1500 to 2500. The reports sweep
    // L from 300 to 3900 and R from 100 to 4000. Sent as max R, max L,
    // min R, min L.
    QTest::newRow("neither") << false << false << "c409b80bdc05e803";
    QTest::newRow("left") << true << false << "c4093c0fdc052c01";
    QTest::newRow("right") << false << true << "a00fb80b6400e803";
    QTest::newRow("both") << true << true << "a00f3c0f64002c01";
}

void TestInputView::calibrationExtremes()
{
    QFETCH(bool, left);
    QFETCH(bool, right);
    QFETCH(QString, ranges);
    QSettings registry(QSettings::IniFormat, QSettings::UserScope, "Nolk Controls", "DirectInput");
    const QString base = "System/CurrentControlSet/Control/MediaProperties/PrivateProperties/"
                         "DirectInput/VID_7B3E&PID_2007/Calibration/0/Type/Axes/";
    registry.setValue(base + "3/Calibration", QByteArray::fromHex("e8030000d0070000b80b0000"));
    registry.setValue(base + "2/Calibration", QByteArray::fromHex("dc050000d0070000c4090000"));
    registry.sync();
    auto wheel = emu::plug(Model::Ralka);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    child<QPushButton>(window, "pbCalL")->setChecked(left);
    child<QPushButton>(window, "pbCalR")->setChecked(right);

    wheel->queueInput(inputReport({}, 100, 3900));
    wheel->queueInput(inputReport({}, 4000, 300));
    wheel->queueInput(inputReport({0}, 2001, 2002));
    QTRY_VERIFY(!child<QWidget>(window, "pbIB1")->isHidden());
    QCOMPARE(child<QProgressBar>(window, "pgAdcR")->value(), 2001);
    QCOMPARE(child<QProgressBar>(window, "pgAdcL")->value(), 2002);

    // The stored paddle report carries the ranges.
    child<QAbstractButton>(window, "rbPadR")->click();
    emu::clearLog();
    child<QPushButton>(window, "pbSaveP")->click();
    const std::vector<emu::LogEntry> log = emu::log();
    QVERIFY(!log.empty());
    const std::vector<std::uint8_t> &sent = log.front().bytes;
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(sent.data()) + 5, 8).toHex(),
             ranges.toLatin1());
}

void TestInputView::binding_data()
{
    QTest::addColumn<Reports>("reports");
    QTest::addColumn<int>("encoder1");
    QTest::addColumn<int>("encoder2");

    QTest::newRow("raise input binds") << Reports{{4}, {}} << 4 << 5;
    QTest::newRow("lower input binds") << Reports{{5}, {}} << 4 << 5;
    QTest::newRow("last encoder, lower input") << Reports{{46}, {}} << 45 << 46;
    QTest::newRow("a press alone binds nothing") << Reports{{4}} << -1 << -1;
    QTest::newRow("button released with an encoder input binds nothing")
        << Reports{{0, 4}, {}} << -1 << -1;
    QTest::newRow("two encoders released together: the lower index binds")
        << Reports{{24, 4}, {}} << 4 << 5;
    QTest::newRow("button release first, encoder later") << Reports{{0}, {}, {19}, {}} << 18 << 19;
    QTest::newRow("inputs without indicator bind nothing") << Reports{{1, 33, 50}, {}} << -1 << -1;
}

void TestInputView::binding()
{
    QFETCH(Reports, reports);
    QFETCH(int, encoder1);
    QFETCH(int, encoder2);
    auto wheel = emu::plug(Model::Ralka);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    auto *button = child<QPushButton>(window, "pbEncoder");
    QCOMPARE(button->text(), Unbound);

    // A second click while waiting keeps waiting.
    for (int click = 0; click < 2; ++click) {
        button->click();
        QCOMPARE(button->text(), Waiting);
        QVERIFY(button->isChecked());
    }
    emu::clearLog();
    QVERIFY(deliver(*wheel, window, reports));

    const bool bound = encoder1 >= 0;
    QCOMPARE(button->text(), bound ? Bound : Waiting);
    QCOMPARE(button->isChecked(), !bound);
    QCOMPARE(storedKey("RALKA_ENCODER1"), bound ? QVariant(encoder1) : QVariant());
    QCOMPARE(storedKey("RALKA_ENCODER2"), bound ? QVariant(encoder2) : QVariant());
    // Binding moves nothing.
    QCOMPARE(liveSends(), QStringList());
    QCOMPARE(child<QSlider>(window, "hsBite")->value(), 50);

    if (bound) {
        button->click();
        QCOMPARE(button->text(), Unbound);
        QVERIFY(!button->isChecked());
        QVERIFY(!QSettings("Nolk Controls", "NolkSet").contains("RALKA_ENCODER1"));
        QVERIFY(!QSettings("Nolk Controls", "NolkSet").contains("RALKA_ENCODER2"));
        // Unbound, the encoder moves nothing.
        QVERIFY(deliver(*wheel, window, {{encoder1}, {}}));
        QCOMPARE(liveSends(), QStringList());
    }
}

void TestInputView::boundEncoderSteps_data()
{
    QTest::addColumn<int>("storedMode");
    QTest::addColumn<Reports>("reports");
    QTest::addColumn<int>("bite");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("raise") << 50 << Reports{{4}, {}} << 51 << QStringList{"020a33"};
    QTest::newRow("lower") << 50 << Reports{{5}, {}} << 49 << QStringList{"020a31"};
    QTest::newRow("raise at 100 still sends")
        << 100 << Reports{{4}, {}} << 100 << QStringList{"020a64"};
    QTest::newRow("lower at 0 still sends") << 0 << Reports{{5}, {}} << 0 << QStringList{"020a00"};
    QTest::newRow("both released at 50: raise first")
        << 50 << Reports{{4, 5}, {}} << 50 << QStringList{"020a33", "020a32"};
    QTest::newRow("both released at 100 end at 99")
        << 100 << Reports{{5, 4}, {}} << 99 << QStringList{"020a64", "020a63"};
    QTest::newRow("held over several reports: one step")
        << 50 << Reports{{4}, {4, 0}, {4}, {}} << 51 << QStringList{"020a33"};
    QTest::newRow("right paddle") << 151 << Reports{{5}, {}} << 49 << QStringList{"020a96"};
    QTest::newRow("no clutch paddle sends FF")
        << 255 << Reports{{4}, {}} << 51 << QStringList{"020aff"};
    QTest::newRow("another encoder moves nothing") << 50 << Reports{{2}, {}} << 50 << QStringList{};
}

void TestInputView::boundEncoderSteps()
{
    QFETCH(int, storedMode);
    QFETCH(Reports, reports);
    QFETCH(int, bite);
    QFETCH(QStringList, sent);
    QSettings("Nolk Controls", "NolkSet").setValue("RALKA_ENCODER1", 4);
    QSettings("Nolk Controls", "NolkSet").setValue("RALKA_ENCODER2", 5);
    auto wheel = emu::plug(Model::Ralka);
    emu::Settings stored = wheel->stored();
    stored.paddleMode = static_cast<std::uint8_t>(storedMode);
    wheel->setStored(stored);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(child<QPushButton>(window, "pbEncoder")->text(), Bound);
    QTRY_VERIFY(!liveSends().isEmpty());
    emu::clearLog();

    QVERIFY(deliver(*wheel, window, reports));
    QCOMPARE(child<QSlider>(window, "hsBite")->value(), bite);
    QCOMPARE(liveSends(), sent);
}

void TestInputView::bindingBelongsToWheelName()
{
    QSettings("Nolk Controls", "NolkSet").setValue("RALKA_ENCODER1", 4);
    QSettings("Nolk Controls", "NolkSet").setValue("RALKA_ENCODER2", 5);
    auto ralka = emu::plug(Model::Ralka);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    auto *button = child<QPushButton>(window, "pbEncoder");
    QCOMPARE(button->text(), Bound);

    ralka->unplug();
    QTRY_VERIFY(windowlook::isWaiting(window));
    auto demta = emu::plug(Model::Demta);
    QTRY_VERIFY(windowlook::isConnected(window));
    QTRY_VERIFY(!liveSends().isEmpty());
    emu::clearLog();

    // Still bound, to no encoder of this wheel.
    QCOMPARE(button->text(), Bound);
    QVERIFY(deliver(*demta, window, {{4}, {}, {5}, {}}));
    QCOMPARE(liveSends(), QStringList());
    QCOMPARE(child<QSlider>(window, "hsBite")->value(), 50);

    button->click();
    QCOMPARE(button->text(), Unbound);
    QCOMPARE(storedKey("RALKA_ENCODER1"), QVariant(4));
    button->click();
    QVERIFY(deliver(*demta, window, {{36}, {}}));
    QCOMPARE(storedKey("DEMTA_ENCODER1"), QVariant(36));
    QCOMPARE(storedKey("DEMTA_ENCODER2"), QVariant(37));
    QVERIFY(deliver(*demta, window, {{37}, {}}));
    QCOMPARE(liveSends(), QStringList{"020a31"});
}

QTEST_MAIN(TestInputView)
#include "tst_inputview.moc"
