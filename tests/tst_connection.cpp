#include "app/delays.h"
#include "app/mainwindow.h"
#include "device/hidlink.h"
#include "emulator/wheelemulator.h"
#include "support/debugcapture.h"
#include "support/findwidget.h"
#include "support/testenv.h"
#include "support/windowlook.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>

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

QString buttonColor(QWidget &window, const char *name)
{
    const QString style = child<QPushButton>(window, name)->styleSheet();
    const int start = style.indexOf(QLatin1String("rgb("));
    return style.mid(start, style.indexOf(QLatin1Char(')'), start) - start + 1);
}

// Transfers of a kind in the wheel's log that worked (or failed); for a
// query item, only the queries of that item.
int logged(emu::Transfer kind, int item = -1, bool worked = true)
{
    int count = 0;
    for (const emu::LogEntry &entry : emu::log())
        count += entry.kind == kind && (entry.result > 0) == worked &&
                 (item < 0 || (entry.bytes[1] == 0x0B && entry.bytes[2] == item));
    return count;
}

int queriesOf(int item)
{
    return logged(emu::Transfer::SendFeature, item);
}

int inputsRead()
{
    return logged(emu::Transfer::Read);
}

emu::Settings storedSettings(int paddleMode, int pulseWidth, int clutch)
{
    emu::Settings stored;
    stored.paddleMode = static_cast<std::uint8_t>(paddleMode);
    stored.pulseWidth = pulseWidth;
    stored.clutch = clutch;
    return stored;
}

// The paddle side, the bite point (the wheel's paddle mode), the pulse width
// (as read) and the clutch switch the window shows.
QString paddleState(QWidget &window)
{
    QString side;
    for (const char *name : {"rbPadL", "rbPadR", "rbPadNo"}) {
        if (child<QRadioButton>(window, name)->isChecked())
            side = QLatin1String(name);
    }
    const auto *bite = child<QSlider>(window, "hsBite");
    const auto *pulse = child<QSlider>(window, "hsTrigger");
    return QStringLiteral("%1 %2 (%3) %4 (%5) clutch %6")
        .arg(side, QString::number(bite->value()), bite->statusTip(),
             QString::number(pulse->value()), pulse->statusTip(),
             child<QRadioButton>(window, "cbClutch")->isChecked() ? "on" : "off");
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

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void noWheelWaitsAndRetries();
    void lowestProductIdOpens();
    void modelFromName_data();
    void modelFromName();
    void modelProfile_data();
    void modelProfile();
    void storedStateShown_data();
    void storedStateShown();
    void nameWithoutEchoKeepsWaitingLook();
    void ledColoursPaintedAtConnection();
    void unplugAndBack_data();
    void unplugAndBack();
    void twoPendingSearches();
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

void TestConnection::modelFromName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("picture");
    QTest::newRow("RALKA name on DEMTA's product id") << "NOLK RALKA WHEEL"
                                                      << "border-image: url(:/img/back.ralka.png)";
    QTest::newRow("lower case: no profile") << "nolk ralka wheel"
                                            << "border-image:";
}

// The model is the one whose name the wheel's name holds (RALKA's has a
// battery); with none, the window keeps the form's pages and asks no battery.
void TestConnection::modelFromName()
{
    QFETCH(QString, name);
    QFETCH(QString, picture);
    emu::plug(Model::Demta, 0x2009)->setName(name.toStdString());
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(child<QLabel>(window, "lbMain")->styleSheet(), picture);
    QCOMPARE(child<QLabel>(window, "lbHead")->text(), "NOLK CONTROLS " + name);
    QVERIFY(child<QPushButton>(window, "pbS2")->isEnabled());
    const bool profile = picture != "border-image:";
    QCOMPARE(!child<QLabel>(window, "lbBatStatus")->isHidden(), profile);
    QCOMPARE(queriesOf(0x0F) > 0, profile);
}

void TestConnection::modelProfile_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("ledPicture");
    QTest::addColumn<QString>("offered"); // LED page, dots, shifter option, wireless
    QTest::addColumn<QString>("positions");

    // Each indicator at its own control, a few of every family per model;
    // IB13 and IB14 cross with B14 and B13 between the INPUTS and the LED
    // page. SOVIN leaves the LED page and the first two encoders as the form
    // made them: DEMTA's picture and places, dots shown.
    QTest::newRow("RALKA") << Model::Ralka << "border-image: url(:/img/back.ralka.png)"
                           << "border-image: url(:/img/back.ralka.png)"
                           << "pbS2 lbBTStatus lbBatStatus lbVersion"
                           << "lbEnc 290,10; pbSWR 546,37; pbIB1 149,35; pbIB13 512,321; "
                              "pbIB14 497,272; pbID1L 299,122; pbID8L 540,110; pbJsRC 523,195; "
                              "pbB13 497,272; pbB14 512,321; pbD16 299,279; pbD3 200,110";
    QTest::newRow("DEMTA") << Model::Demta << "border-image: url(:/img/back.demta.png)"
                           << "border-image: url(:/img/back.demta.png)"
                           << "pbS2 pbT1 pbTR3 cbShifter lbVersion"
                           << "lbEnc 290,70; pbSWL 195,51; pbIB2 212,79; pbIB13 510,330; "
                              "pbIB14 495,283; pbID5L 110,85; pbID7R 195,123; pbJsLL 216,207; "
                              "pbB1 151,49; pbB13 495,283; pbB14 510,330; pbD13 326,200";
    QTest::newRow("SOVIN") << Model::Sovin << "border-image: url(:/img/back.sovin.png)"
                           << "border-image: url(:/img/back.demta.png);"
                           << "pbT1 pbTR3 lbBTStatus lbBatStatus lbVersion"
                           << "lbEnc 290,10; hsTrigger 309,40; pbSWL 169,39; pbIB1 120,28; "
                              "pbIB13 488,282; pbID1L 326,200; pbID8R 540,100; pbJsRR 520,166; "
                              "pbB14 490,270";
}

void TestConnection::modelProfile()
{
    QFETCH(Model, model);
    QFETCH(QString, picture);
    QFETCH(QString, ledPicture);
    QFETCH(QString, offered);
    QFETCH(QString, positions);

    emu::plug(model);
    MainWindow window;
    QTRY_VERIFY2(windowlook::isConnected(window), qPrintable(windowlook::describe(window)));

    QCOMPARE(child<QLabel>(window, "lbMain")->styleSheet(), picture);
    QCOMPARE(child<QLabel>(window, "lbMainRGB")->styleSheet(), ledPicture);
    QStringList shown;
    for (const char *name :
         {"pbS2", "pbT1", "pbTR3", "cbShifter", "lbBTStatus", "lbBatStatus", "lbVersion"}) {
        if (child<QWidget>(window, name)->isEnabled() && !child<QWidget>(window, name)->isHidden())
            shown << name;
    }
    QCOMPARE(shown.join(' '), offered);
    const QMap<QString, QPoint> expected = spots(positions);
    for (auto spot = expected.begin(); spot != expected.end(); ++spot) {
        const QWidget *widget = window.findChild<QWidget *>(spot.key());
        QVERIFY2(widget, qPrintable(spot.key()));
        QVERIFY2(widget->pos() == spot.value(), qPrintable(spot.key()));
    }
}

void TestConnection::storedStateShown_data()
{
    QTest::addColumn<int>("paddle");
    QTest::addColumn<int>("pulse");
    QTest::addColumn<int>("clutch");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("version");
    QTest::newRow("left 100, -1 clutch on, version ending in ':'")
        << 100 << 180 << -1 << "Mar  5 2024,10:30:"
        << "rbPadL 100 (100) 180 (180) clutch on"
        << "Mar  5 2024,10:30";
    QTest::newRow("right 49, pulse clamped, 255 clutch off")
        << 150 << 500 << 255 << "Jan 12 2024,09:15"
        << "rbPadR 49 (150) 240 (240) clutch off"
        << "Jan 12 2024,09:15";
    QTest::newRow("230 no paddle, negative pulse ignored") << 230 << -1 << 1 << "Nov 21 2023,16:05"
                                                           << "rbPadNo 50 (230) 100 (100) clutch on"
                                                           << "Nov 21 2023,16:05";
}

void TestConnection::storedStateShown()
{
    QFETCH(int, paddle);
    QFETCH(int, pulse);
    QFETCH(int, clutch);
    QFETCH(QString, date);
    QFETCH(QString, shown);
    QFETCH(QString, version);
    auto wheel = emu::plug(Model::Ralka);
    wheel->setStored(storedSettings(paddle, pulse, clutch));
    wheel->setBuildDate(date.toStdString());

    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(paddleState(window), shown);
    QCOMPARE(child<QLabel>(window, "lbVersion")->text(), "Firmware Version:\t" + version);
}

void TestConnection::nameWithoutEchoKeepsWaitingLook()
{
    auto wheel = emu::plug(Model::Ralka);
    // The name query answered with another item's echo.
    wheel->setRawAnswer(0x0D, 0, {0x02, 0x0C, 'N', 'O', 'L', 'K', ' ', 'R', 'A', 'L', 'K', 'A'});

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

// Slot 0 stored red: the LED buttons are painted, the page's other buttons
// keep the form's look.
void TestConnection::ledColoursPaintedAtConnection()
{
    emu::plug(Model::Demta)->setStoredLeds({0x0F});
    MainWindow window;
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
    QCOMPARE(buttonColor(window, "pbB2"), QStringLiteral("rgb(0,0,0)"));
}

void TestConnection::unplugAndBack_data()
{
    QTest::addColumn<bool>("lossSeen");
    QTest::newRow("back after the window waits") << true;
    QTest::newRow("back before the loss is seen") << false;
}

void TestConnection::unplugAndBack()
{
    QFETCH(bool, lossSeen);
    auto wheel = emu::plug(Model::Sovin);
    DebugCapture debug;
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    ShowCounter lamp(child<QPushButton>(window, "pbStatus"));

    wheel->unplug();
    if (lossSeen) {
        QTRY_VERIFY(windowlook::isWaiting(window));
        QTest::qWait(300);
        QVERIFY(windowlook::isWaiting(window));
        QCOMPARE(debug.count("joystick event thread done."), 1);
    }
    emu::clearLog();
    wheel->replug();
    QTRY_COMPARE(queriesOf(0x0D), 1);
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(queriesOf(0x0D), 1);
    QCOMPARE(lamp.shows > 0, lossSeen);
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
    emu::clearLog();
    wheel->setHeld(0, true);
    QTRY_VERIFY(inputsRead() > 0);
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
    const emu::Settings stored = storedSettings(150, 180, 1);
    wheel->setStored(stored);
    const emu::LedImage leds{0x0F}; // slot 0 red
    wheel->setStoredLeds(leds);
    emu::failFrom(emu::Transfer::GetFeature, readsBefore);
    // Room for the test to lift the failure before the retry.
    delays::setTestDivisor(6);

    DebugCapture debug;
    MainWindow window;
    window.show();
    QTRY_VERIFY(logged(emu::Transfer::GetFeature, -1, false) == 1);
    emu::clearFailures();
    QVERIFY(!HidLink::instance().isOpen());
    QCOMPARE(debug.count("joystick event thread done."), 1);
    QCOMPARE(logged(emu::Transfer::GetFeature), readsBefore);
    QTRY_VERIFY2(windowlook::isWaiting(window), qPrintable(windowlook::describe(window)));

    if (closeWhileWaiting) {
        child<QPushButton>(window, "pbClose")->click();
        QVERIFY(!window.isVisible());
        QVERIFY(wheel->stored() == stored);
        QVERIFY(wheel->storedLeds() == leds);
        // Queries only, and the clutch switch echoing the wheel's own answer
        // live as the read sets it; nothing stored.
        for (const emu::LogEntry &entry : emu::log()) {
            const bool liveClutch =
                entry.bytes[1] == 0x0C && entry.bytes[2] == 0x08 && entry.bytes[7] == 0x00;
            QVERIFY(entry.kind != emu::Transfer::SendFeature || entry.bytes[1] == 0x0B ||
                    liveClutch);
        }
        return;
    }
    QTRY_VERIFY2(windowlook::isConnected(window), qPrintable(windowlook::describe(window)));
    QCOMPARE(paddleState(window), QStringLiteral("rbPadR 49 (150) 180 (180) clutch on"));
    QCOMPARE(buttonColor(window, "pbB1"), QStringLiteral("rgb(255,0,0)"));
    QVERIFY(child<QLabel>(window, "lbHead")->text().endsWith("DEMTA"));
    QVERIFY(child<QLabel>(window, "lbVersion")->text().startsWith("Firmware Version:\t"));
    QVERIFY(HidLink::instance().isOpen());
    wheel->setHeld(0, true);
    QTRY_VERIFY(inputsRead() > 0);
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
