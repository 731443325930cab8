#include "app/delays.h"
#include "app/mainwindow.h"
#include "device/hidlink.h"
#include "emulator/wheelemulator.h"
#include "support/debugcapture.h"
#include "support/findwidget.h"
#include "support/testenv.h"
#include "support/windowlook.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>

#include <atomic>
#include <thread>

namespace {

using emu::Model;

// Counts how often a widget is shown.
class ShowCounter : public QObject
{
public:
    explicit ShowCounter(QWidget *widget) { widget->installEventFilter(this); }
    int shows = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ShowToParent)
            ++shows;
        return false;
    }
};

// The stored LED image a wheel answers, built slot by slot the way the wheel
// keeps it: 4 bits a channel, even channels in the low nibble.
emu::LedImage ledImage(const QList<QPair<int, QColor>> &colours)
{
    emu::LedImage image{};
    for (const auto &[slot, color] : colours) {
        const int values[3] = {color.red() >> 4, color.green() >> 4, color.blue() >> 4};
        for (int c = 0; c < 3; ++c) {
            const int channel = 3 * slot + c;
            const int shift = (channel % 2) ? 4 : 0;
            image[channel / 2] = static_cast<std::uint8_t>((image[channel / 2] & ~(0xF << shift))
                                                           | (values[c] << shift));
        }
    }
    return image;
}

QString buttonColor(QWidget &window, const char *name)
{
    const QString style = child<QPushButton>(window, name)->styleSheet();
    const int start = style.indexOf(QLatin1String("rgb("));
    return style.mid(start, style.indexOf(QLatin1Char(')'), start) - start + 1);
}

int queriesOf(std::uint8_t item)
{
    int count = 0;
    for (const emu::LogEntry &entry : emu::log()) {
        if (entry.kind == emu::Transfer::SendFeature && entry.bytes.size() > 2
            && entry.bytes[1] == 0x0B && entry.bytes[2] == item)
            ++count;
    }
    return count;
}

// Widget positions written "name x,y; name x,y".
QMap<QString, QPoint> spots(const QString &text)
{
    QMap<QString, QPoint> positions;
    for (const QString &spot : text.split(QLatin1Char(';'))) {
        const QStringList parts = spot.simplified().split(QRegularExpression("[ ,]"));
        positions.insert(parts[0], QPoint(parts[1].toInt(), parts[2].toInt()));
    }
    return positions;
}

// Answers the window got, or queries whose answer failed.
int queries(bool answered)
{
    int count = 0;
    for (const emu::LogEntry &entry : emu::log()) {
        if (entry.kind == emu::Transfer::GetFeature && (entry.result >= 0) == answered)
            ++count;
    }
    return count;
}

int inputsRead()
{
    int count = 0;
    for (const emu::LogEntry &entry : emu::log()) {
        if (entry.kind == emu::Transfer::Read && entry.result > 0)
            ++count;
    }
    return count;
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void noWheelWaitsAndRetries();
    void lowestProductIdOpens();
    void modelComesFromNameNotProductId();
    void modelProfile_data();
    void modelProfile();
    void storedStateShown_data();
    void storedStateShown();
    void nameWithoutEchoKeepsWaitingLook();
    void nameMatchingNoProfile_data();
    void nameMatchingNoProfile();
    void ralkaAfterDemtaStoresExtraShifterOff();
    void ledColoursPaintedAtConnection();
    void storedCalibrationSetsAxisRanges();
    void unplugWhileConnected();
    void wheelBackBeforeLossIsHandled();
    void twoPendingSearches();
    void unplugDuringConnectionReads_data();
    void unplugDuringConnectionReads();
    void failedConnectionRead_data();
    void failedConnectionRead();
};

void TestConnection::initTestCase()
{
    testenv::isolate();
}

void TestConnection::cleanup()
{
    delays::setTestDivisor(20);
    emu::reset();
    testenv::clearSettings();
    QSettings(QSettings::IniFormat, QSettings::UserScope, "Nolk Controls", "DirectInput").clear();
}

void TestConnection::noWheelWaitsAndRetries()
{
    MainWindow window;
    QTRY_VERIFY(windowlook::isWaiting(window));
    QTRY_VERIFY_WITH_TIMEOUT(emu::openAttempts().size() >= 9, 3000);
    QVERIFY(windowlook::isWaiting(window));

    // Each search tries the three ids in order; searches are a retry delay apart.
    const std::vector<emu::OpenAttempt> opens = emu::openAttempts();
    const std::uint16_t order[] = {0x2007, 0x2008, 0x2009};
    for (std::size_t i = 0; i < 9; ++i) {
        QCOMPARE(opens[i].vendorId, std::uint16_t{0x7B3E});
        QCOMPARE(opens[i].productId, order[i % 3]);
        QVERIFY(!opens[i].opened);
    }
    const auto retryDelay = std::chrono::milliseconds(delays::ms(delays::ReconnectMs));
    QVERIFY(opens[3].time - opens[2].time >= retryDelay);
    QVERIFY(opens[6].time - opens[5].time >= retryDelay);

    emu::plug(Model::Demta, 0x2009);
    QTRY_VERIFY_WITH_TIMEOUT(windowlook::isConnected(window), 2000);
}

void TestConnection::lowestProductIdOpens()
{
    auto high = emu::plug(Model::Sovin, 0x2009);
    auto low = emu::plug(Model::Ralka, 0x2008);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    QVERIFY(child<QLabel>(window, "lbHead")->text().contains("RALKA"));
    for (const emu::LogEntry &entry : emu::log())
        QCOMPARE(entry.productId, std::uint16_t{0x2008});
}

void TestConnection::modelComesFromNameNotProductId()
{
    auto wheel = emu::plug(Model::Demta, 0x2009);
    wheel->setName("NOLK RALKA WHEEL");
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(child<QLabel>(window, "lbMain")->styleSheet(),
             QStringLiteral("border-image: url(:/img/back.ralka.png)"));
    QCOMPARE(child<QLabel>(window, "lbHead")->text(), QStringLiteral("NOLK CONTROLS NOLK RALKA WHEEL"));
}

void TestConnection::modelProfile_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("ledPicture");
    QTest::addColumn<bool>("ledPage");
    QTest::addColumn<bool>("dotsShown");
    QTest::addColumn<bool>("shifterOption");
    QTest::addColumn<bool>("wireless");
    QTest::addColumn<QString>("positions");

    // Each indicator at its own control, a few of every family per model; the
    // fifth and sixth rows cross between the INPUTS and the LED page. SOVIN
    // leaves the LED page and the first two encoders as the form made them:
    // DEMTA's picture and places, dots shown.
    QTest::newRow("RALKA") << Model::Ralka << "border-image: url(:/img/back.ralka.png)"
                           << "border-image: url(:/img/back.ralka.png)" << true << false << false
                           << true
                           << "lbEnc 290,10; pbSWR 546,37; pbIB1 149,35; pbIB3 237,140; "
                              "pbIB5 241,272; pbIB10 528,66; pbIB12 472,222; pbIB13 512,321; "
                              "pbIB14 497,272; pbID1L 299,122; pbID1R 299,122; pbID2R 436,122; "
                              "pbID3L 299,279; pbID6R 625,70; pbID8L 540,110; pbJsL1 214,195; "
                              "pbJsRC 523,195; pbB4 266,222; pbB13 497,272; pbB14 512,321; "
                              "pbD16 299,279; pbD23 436,122; pbD3 200,110";
    QTest::newRow("DEMTA") << Model::Demta << "border-image: url(:/img/back.demta.png)"
                           << "border-image: url(:/img/back.demta.png)" << true << true << true
                           << false
                           << "lbEnc 290,70; pbSWL 195,51; pbIB2 212,79; pbIB4 267,233; "
                              "pbIB6 228,330; pbIB9 587,49; pbIB11 498,152; pbIB13 510,330; "
                              "pbIB14 495,283; pbID1R 326,200; pbID2L 410,200; pbID4R 436,289; "
                              "pbID5L 110,85; pbID7R 195,123; pbJsLL 216,207; pbJsR4 521,207; "
                              "pbB1 151,49; pbB12 471,233; pbB13 495,283; pbB14 510,330; "
                              "pbD13 326,200; pbD26 436,289; pbD4 545,123";
    QTest::newRow("SOVIN") << Model::Sovin << "border-image: url(:/img/back.sovin.png)"
                           << "border-image: url(:/img/back.demta.png);" << false << true << false
                           << true
                           << "lbEnc 290,10; hsTrigger 309,40; pbSWL 169,39; pbSWR 569,39; "
                              "pbIB1 120,28; pbIB3 239,109; pbIB5 256,227; pbIB10 517,56; "
                              "pbIB12 464,164; pbIB13 488,282; pbIB14 482,227; pbID1L 326,200; "
                              "pbID3L 308,236; pbID4R 429,236; pbID7L 200,100; pbID8R 540,100; "
                              "pbJsL2 217,166; pbJsRR 520,166; pbB14 490,270";
}

void TestConnection::modelProfile()
{
    QFETCH(Model, model);
    QFETCH(QString, picture);
    QFETCH(QString, ledPicture);
    QFETCH(bool, ledPage);
    QFETCH(bool, dotsShown);
    QFETCH(bool, shifterOption);
    QFETCH(bool, wireless);
    QFETCH(QString, positions);

    emu::plug(model);
    MainWindow window;
    QTRY_VERIFY2(windowlook::isConnected(window), qPrintable(windowlook::describe(window)));

    QCOMPARE(child<QLabel>(window, "lbMain")->styleSheet(), picture);
    QCOMPARE(child<QLabel>(window, "lbMainRGB")->styleSheet(), ledPicture);
    QCOMPARE(child<QPushButton>(window, "pbS2")->isEnabled(), ledPage);
    for (const char *dot : {"pbT1", "pbT11", "pbTL2", "pbTR3"})
        QCOMPARE(!child<QPushButton>(window, dot)->isHidden(), dotsShown);
    QCOMPARE(!child<QRadioButton>(window, "cbShifter")->isHidden(), shifterOption);
    QCOMPARE(!child<QLabel>(window, "lbBTStatus")->isHidden(), wireless);
    QCOMPARE(!child<QLabel>(window, "lbBatStatus")->isHidden(), wireless);
    const QMap<QString, QPoint> expected = spots(positions);
    for (auto spot = expected.begin(); spot != expected.end(); ++spot) {
        const QWidget *widget = window.findChild<QWidget *>(spot.key());
        QVERIFY2(widget, qPrintable(spot.key()));
        QVERIFY2(widget->pos() == spot.value(), qPrintable(spot.key()));
    }

    QVERIFY(child<QPushButton>(window, "pbISW1")->isHidden());
    QVERIFY(child<QPushButton>(window, "pbISW2")->isHidden());
    for (const char *name : {"pbCalL", "pbCalR", "pgAdcL", "pgAdcR", "lbEnc", "hsTrigger",
                             "lbTrigger", "pbSaveEnc", "lbVersion"})
        QVERIFY2(!child<QWidget>(window, name)->isHidden(), name);
    // The shifter group shows the extra rows only with the option on.
    const bool extra = child<QRadioButton>(window, "cbShifter")->isChecked();
    QCOMPARE(child<QWidget>(window, "gpBear")->height(), extra ? 191 : 111);
}

void TestConnection::storedStateShown_data()
{
    QTest::addColumn<int>("paddle");
    QTest::addColumn<int>("pulse");
    QTest::addColumn<int>("clutch");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("side");
    QTest::addColumn<int>("bite");
    QTest::addColumn<int>("slider");
    QTest::addColumn<bool>("clutchOn");
    QTest::addColumn<QString>("version");
    QTest::newRow("left 100, -1 clutch on, version ending in ':'")
        << 100 << 180 << -1 << "Mar  5 2024,10:30:" << "rbPadL" << 100 << 180 << true
        << "Firmware Version:\tMar  5 2024,10:30";
    QTest::newRow("right 49, pulse clamped, 255 clutch off")
        << 150 << 500 << 255 << "Jan 12 2024,09:15" << "rbPadR" << 49 << 240 << false
        << "Firmware Version:\tJan 12 2024,09:15";
    QTest::newRow("230 no paddle, negative pulse ignored")
        << 230 << -1 << 1 << "Nov 21 2023,16:05" << "rbPadNo" << 50 << 100 << true
        << "Firmware Version:\tNov 21 2023,16:05";
}

void TestConnection::storedStateShown()
{
    QFETCH(int, paddle);
    QFETCH(int, pulse);
    QFETCH(int, clutch);
    QFETCH(QString, date);
    QFETCH(QString, side);
    QFETCH(int, bite);
    QFETCH(int, slider);
    QFETCH(bool, clutchOn);
    QFETCH(QString, version);
    auto wheel = emu::plug(Model::Ralka);
    emu::Settings stored = wheel->stored();
    stored.paddleMode = static_cast<std::uint8_t>(paddle);
    stored.pulseWidth = pulse;
    stored.clutch = clutch;
    wheel->setStored(stored);
    wheel->setBuildDate(date.toStdString());

    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    QVERIFY(window.findChild<QRadioButton *>(side)->isChecked());
    QCOMPARE(child<QSlider>(window, "hsBite")->value(), bite);
    QCOMPARE(child<QSlider>(window, "hsBite")->statusTip(), QString::number(paddle));
    QCOMPARE(child<QSlider>(window, "hsTrigger")->value(), slider);
    QCOMPARE(child<QSlider>(window, "hsTrigger")->statusTip(), QString::number(slider));
    QCOMPARE(child<QRadioButton>(window, "cbClutch")->isChecked(), clutchOn);
    QCOMPARE(child<QLabel>(window, "lbVersion")->text(), version);
}

void TestConnection::nameWithoutEchoKeepsWaitingLook()
{
    auto wheel = emu::plug(Model::Ralka);
    emu::Report answer{};
    answer[0] = 0x02;
    answer[1] = 0x0C;
    const char name[] = "NOLK RALKA";
    std::copy(std::begin(name), std::end(name) - 1, answer.begin() + 2);
    wheel->setRawAnswer(0x0D, 0, answer);

    MainWindow window;
    QTRY_VERIFY(queriesOf(0x09) == 1);
    QTest::qWait(100);
    QCOMPARE(child<QLabel>(window, "lbHead")->text(), QStringLiteral("WAITING FOR DEVICE..."));
    QVERIFY(!child<QPushButton>(window, "pbS1")->isEnabled());
    QCOMPARE(child<QStackedWidget>(window, "stackedWidget")->currentIndex(), 4);
    QVERIFY(child<QPushButton>(window, "pbStatus")->isHidden());
    // The reader runs all the same: the wheel's inputs are read.
    wheel->setHeld(0, true);
    QTRY_VERIFY(inputsRead() > 0);
}

void TestConnection::nameMatchingNoProfile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("no model name") << "NOLK PROTOTYPE";
    QTest::newRow("model name in lower case") << "nolk ralka wheel";
}

void TestConnection::nameMatchingNoProfile()
{
    QFETCH(QString, name);
    auto wheel = emu::plug(Model::Ralka);
    wheel->setName(name.toStdString());
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    QVERIFY(child<QPushButton>(window, "pbS2")->isEnabled());
    QCOMPARE(child<QLabel>(window, "lbMain")->styleSheet(), QStringLiteral("border-image:"));
    QVERIFY(child<QLabel>(window, "lbBTStatus")->isHidden());
    QVERIFY(child<QLabel>(window, "lbBatStatus")->isHidden());
    QCOMPARE(queriesOf(0x0F), 0);
}

void TestConnection::ralkaAfterDemtaStoresExtraShifterOff()
{
    QSettings("Nolk Controls", "NolkSet").setValue("EXTRA_SHIFTER", true);
    auto demta = emu::plug(Model::Demta);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    QVERIFY(child<QRadioButton>(window, "cbShifter")->isChecked());
    // Radio buttons both: with a paddle side checked they stay independent.
    QVERIFY(child<QRadioButton>(window, "cbClutch")->isChecked());
    QCOMPARE(child<QWidget>(window, "gpBear")->height(), 191);

    demta->unplug();
    QTRY_VERIFY(windowlook::isWaiting(window));
    emu::plug(Model::Ralka);
    QTRY_VERIFY(windowlook::isConnected(window));
    QVERIFY(!child<QRadioButton>(window, "cbShifter")->isChecked());
    QVERIFY(child<QRadioButton>(window, "cbShifter")->isHidden());
    QCOMPARE(child<QWidget>(window, "gpBear")->height(), 111);
    QCOMPARE(QSettings("Nolk Controls", "NolkSet").value("EXTRA_SHIFTER").toBool(), false);
}

void TestConnection::ledColoursPaintedAtConnection()
{
    auto wheel = emu::plug(Model::Demta);
    wheel->setStoredLeds(ledImage({{0, QColor(255, 0, 0)},
                                   {1, QColor(0, 0, 255)},
                                   {11, QColor(128, 255, 192)},
                                   {12, QColor(255, 255, 0)},
                                   {14, QColor(0, 255, 255)},
                                   {16, QColor(16, 32, 48)},
                                   {25, QColor(160, 0, 0)},
                                   {37, QColor(0, 255, 0)},
                                   {42, QColor(0, 0, 80)},
                                   {43, QColor(255, 0, 255)}}));
    MainWindow window;
    // The page's other buttons keep the form's look; slots past 42 paint nothing.
    QMap<QString, QString> formStyles;
    for (QPushButton *button : child<QWidget>(window, "page2")->findChildren<QPushButton *>()) {
        if (!button->objectName().contains(QRegularExpression("^pb[BDT]")))
            formStyles.insert(button->objectName(), button->styleSheet());
    }
    QVERIFY(formStyles.contains("pbSave"));
    QTRY_VERIFY(windowlook::isConnected(window));
    for (auto form = formStyles.begin(); form != formStyles.end(); ++form)
        QVERIFY2(child<QPushButton>(window, qPrintable(form.key()))->styleSheet() == form.value(),
                 qPrintable(form.key()));
    QCOMPARE(buttonColor(window, "pbB1"), QStringLiteral("rgb(255,0,0)"));
    QCOMPARE(buttonColor(window, "pbB9"), QStringLiteral("rgb(0,0,255)"));
    // The corrected white the wheel keeps (8, 15, 12) is shown as white.
    QCOMPARE(buttonColor(window, "pbB14"), QStringLiteral("rgb(255,255,255)"));
    // pbD13 stands for slots 12, 14 and 16 and shows the last.
    QCOMPARE(buttonColor(window, "pbD13"), QStringLiteral("rgb(4,9,17)"));
    QCOMPARE(buttonColor(window, "pbD4"), QStringLiteral("rgb(126,0,0)"));
    QCOMPARE(buttonColor(window, "pbTL3"), QStringLiteral("rgb(0,255,0)"));
    QCOMPARE(buttonColor(window, "pbTR1"), QStringLiteral("rgb(0,0,39)"));
    QCOMPARE(buttonColor(window, "pbB2"), QStringLiteral("rgb(0,0,0)"));
    QVERIFY(child<QPushButton>(window, "pbB1")->styleSheet().startsWith(
        "QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:rgb(255,0,0);"));
}

void TestConnection::storedCalibrationSetsAxisRanges()
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, "Nolk Controls", "DirectInput");
    const QString base = "System/CurrentControlSet/Control/MediaProperties/PrivateProperties/"
                         "DirectInput/VID_7B3E&PID_2008/Calibration/0/Type/Axes/";
    store.setValue(base + "3/Calibration",
                   QByteArray::fromHex("2c010000340800003c0f0000"));
    store.setValue(base + "2/Calibration", QByteArray::fromHex("6400000000000000"));
    store.sync();

    emu::plug(Model::Ralka, 0x2008);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(child<QProgressBar>(window, "pgAdcL")->minimum(), 300);
    QCOMPARE(child<QProgressBar>(window, "pgAdcL")->maximum(), 3900);
    // An 8-byte value reads as far as it goes: the maximum stays 0.
    QCOMPARE(child<QProgressBar>(window, "pgAdcR")->minimum(), 100);
    QCOMPARE(child<QProgressBar>(window, "pgAdcR")->maximum(), 100);
}

void TestConnection::unplugWhileConnected()
{
    auto wheel = emu::plug(Model::Ralka);
    DebugCapture debug;
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));

    wheel->unplug();
    QTRY_VERIFY(windowlook::isWaiting(window));
    QTest::qWait(300);
    QVERIFY(windowlook::isWaiting(window));
    QCOMPARE(debug.count("joystick event thread done."), 1);

    emu::clearLog();
    wheel->replug();
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(queriesOf(0x0D), 1);
}

void TestConnection::wheelBackBeforeLossIsHandled()
{
    auto wheel = emu::plug(Model::Sovin);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    ShowCounter lamp(child<QPushButton>(window, "pbStatus"));

    emu::clearLog();
    wheel->unplug();
    wheel->replug();
    QTRY_COMPARE(queriesOf(0x0D), 1);
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(lamp.shows, 0);
}

void TestConnection::twoPendingSearches()
{
    auto wheel = emu::plug(Model::Demta);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    emu::clearLog();
    QMetaObject::invokeMethod(&window, "onInit", Qt::QueuedConnection);
    QMetaObject::invokeMethod(&window, "onInit", Qt::QueuedConnection);
    QTRY_COMPARE(queriesOf(0x09), 2);
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(emu::misuseCount(), 0);

    // The reader of the earlier connection has ended before the wheel was
    // opened again: the new one runs on the open wheel.
    QTest::qWait(50);
    QVERIFY(HidLink::instance().isOpen());
    for (int input = 0; input < 3; ++input) {
        emu::clearLog();
        wheel->setHeld(input, true);
        QTRY_VERIFY(inputsRead() > 0);
    }
}

void TestConnection::unplugDuringConnectionReads_data()
{
    QTest::addColumn<int>("unplugAfterUs");
    QTest::addColumn<bool>("replug");
    for (int us : {0, 3000, 7000, 12000}) {
        QTest::addRow("after %d us, stays out", us) << us << false;
        QTest::addRow("after %d us, back at once", us) << us << true;
    }
}

void TestConnection::unplugDuringConnectionReads()
{
    QFETCH(int, unplugAfterUs);
    QFETCH(bool, replug);
    auto wheel = emu::plug(Model::Ralka);
    // About a USB control transfer each: the connection reads take ~15 ms.
    emu::setLatency(emu::Transfer::SendFeature, std::chrono::microseconds(500));
    emu::setLatency(emu::Transfer::GetFeature, std::chrono::microseconds(500));

    std::atomic<bool> done{false};
    std::thread unplugger([&] {
        while (queriesOf(0x00) == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        std::this_thread::sleep_for(std::chrono::microseconds(unplugAfterUs));
        wheel->unplug();
        if (replug)
            wheel->replug();
        done = true;
    });
    MainWindow window;
    QTRY_VERIFY(done);
    unplugger.join();

    QTest::qWait(400);
    if (replug)
        QTRY_VERIFY2(windowlook::isConnected(window), qPrintable(windowlook::describe(window)));
    else
        QTRY_VERIFY2(windowlook::isWaiting(window), qPrintable(windowlook::describe(window)));
    QCOMPARE(emu::misuseCount(), 0);
}

void TestConnection::failedConnectionRead_data()
{
    QTest::addColumn<int>("readsBefore");
    QTest::addColumn<bool>("closeWhileWaiting");
    const std::pair<const char *, int> queries[] = {{"LED block 2", 2}, {"paddle mode", 4},
                                                    {"pulse width", 5}, {"clutch", 6},
                                                    {"name", 7},        {"version", 8}};
    for (const auto &[query, before] : queries) {
        QTest::addRow("%s fails, retried", query) << before << false;
        QTest::addRow("%s fails, window closed", query) << before << true;
    }
}

// A connection whose query fails drops the wheel and searches again as if
// none had been found; a half-read wheel is never shown as connected.
void TestConnection::failedConnectionRead()
{
    QFETCH(int, readsBefore);
    QFETCH(bool, closeWhileWaiting);
    auto wheel = emu::plug(Model::Demta);
    emu::Settings stored = wheel->stored();
    stored.paddleMode = 150;
    stored.pulseWidth = 180;
    stored.clutch = 1;
    wheel->setStored(stored);
    const emu::LedImage leds = ledImage({{0, QColor(255, 0, 0)}});
    wheel->setStoredLeds(leds);
    emu::failFrom(emu::Transfer::GetFeature, readsBefore);
    // Room for the test to lift the failure before the retry.
    delays::setTestDivisor(6);

    DebugCapture debug;
    MainWindow window;
    window.show();
    QTRY_VERIFY(queries(false) == 1);
    emu::clearFailures();
    QVERIFY(!HidLink::instance().isOpen());
    QCOMPARE(debug.count("joystick event thread done."), 1);
    QCOMPARE(queries(true), readsBefore);
    QTRY_VERIFY2(windowlook::isWaiting(window), qPrintable(windowlook::describe(window)));

    if (closeWhileWaiting) {
        child<QPushButton>(window, "pbClose")->click();
        QVERIFY(!window.isVisible());
        QVERIFY(wheel->stored() == stored);
        QVERIFY(wheel->storedLeds() == leds);
        // Queries only, and the clutch switch echoing the wheel's own answer
        // live as the read sets it; nothing stored.
        for (const emu::LogEntry &entry : emu::log()) {
            const bool liveClutch = entry.bytes[1] == 0x0C && entry.bytes[2] == 0x08 &&
                                    entry.bytes[7] == 0x00;
            QVERIFY(entry.kind != emu::Transfer::SendFeature || entry.bytes[1] == 0x0B ||
                    liveClutch);
        }
        return;
    }
    QTRY_VERIFY2(windowlook::isConnected(window), qPrintable(windowlook::describe(window)));
    QVERIFY(child<QRadioButton>(window, "rbPadR")->isChecked());
    QCOMPARE(child<QSlider>(window, "hsBite")->value(), 49);
    QCOMPARE(child<QSlider>(window, "hsBite")->statusTip(), QStringLiteral("150"));
    QCOMPARE(child<QSlider>(window, "hsTrigger")->statusTip(), QStringLiteral("180"));
    QVERIFY(child<QRadioButton>(window, "cbClutch")->isChecked());
    QCOMPARE(buttonColor(window, "pbB1"), QStringLiteral("rgb(255,0,0)"));
    QVERIFY(child<QLabel>(window, "lbHead")->text().endsWith("DEMTA"));
    QVERIFY(child<QLabel>(window, "lbVersion")->text().startsWith("Firmware Version:\t"));
    QVERIFY(HidLink::instance().isOpen());
    wheel->setHeld(0, true);
    QTRY_VERIFY(inputsRead() > 0);
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
