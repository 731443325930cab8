#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "device/delays.h"
#include "device/hidlink.h"
#include "device/listedwheel.h"
#include "emulator/wheelemulator.h"
#include "support/debugcapture.h"
#include "support/findwidget.h"
#include "support/transfers.h"
#include "support/windowfixture.h"
#include "support/windowlook.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <QTranslator>

#include <hidapi.h>

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
        shows += event->type() == QEvent::ShowToParent;
        return false;
    }
};

// Marks every text of the window's context, so a test can see which texts
// really went through translation.
struct MarkingTranslator : QTranslator
{
    QString translate(const char *context, const char *text, const char *, int) const override
    {
        return qstrcmp(context, "MainWindow") == 0 ? "@" + QString::fromUtf8(text) : QString();
    }
    bool isEmpty() const override { return false; }
};

// Mouse steps "kind local global; ...": pL/pR press and rL/rR release the
// left or right button, m moves with the left button held.
void sendMouse(QWidget &window, const QString &steps)
{
    for (const QString &step : steps.split(QStringLiteral("; "))) {
        const QStringList w = step.split(QRegularExpression("[ ,]"));
        const QPointF local(w[1].toDouble(), w[2].toDouble()),
            global(w[3].toDouble(), w[4].toDouble());
        const Qt::MouseButton button = step[1] == 'R' ? Qt::RightButton : Qt::LeftButton;
        const QEvent::Type type = step[0] == 'p'   ? QEvent::MouseButtonPress
                                  : step[0] == 'r' ? QEvent::MouseButtonRelease
                                                   : QEvent::MouseMove;
        const Qt::MouseButtons held = step.startsWith("rL") ? Qt::NoButton
                                      : step[0] == 'p'      ? Qt::LeftButton | button
                                                            : Qt::LeftButton;
        // Straight to the window: QApplication would round the positions to
        // whole pixels before the handlers see them.
        QMouseEvent event(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : button,
                          held, Qt::NoModifier);
        static_cast<QObject &>(window).event(&event);
    }
}

using windowlook::buttonColor;

std::size_t searchCount()
{
    return emu::openAttempts().size() / 3;
}

// The path hidapi gives the wheel of this product id.
QString pathOf(std::uint16_t productId)
{
    hid_device_info *listed = hid_enumerate(emu::VendorId, productId);
    const QString path = listed ? QString::fromLocal8Bit(listed->path) : QString();
    hid_free_enumeration(listed);
    return path;
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

emu::Settings storedSettings(int paddleMode, int pulseWidth, int clutch)
{
    emu::Settings stored;
    stored.paddleMode = static_cast<std::uint8_t>(paddleMode);
    stored.pulseWidth = pulseWidth;
    stored.clutch = clutch;
    return stored;
}

// The paddle side, the bite point (the wheel's paddle mode), the pulse width
// (as read), the clutch switch and the firmware version the window shows.
QString storedState(QWidget &window)
{
    QString side;
    for (const char *name : {"rbPadL", "rbPadR", "rbPadNo"}) {
        if (child<QRadioButton>(window, name)->isChecked())
            side = QLatin1String(name);
    }
    const auto *bite = child<QSlider>(window, "hsBite");
    const auto *pulse = child<QSlider>(window, "hsTrigger");
    return QStringLiteral("%1 %2 (%3) %4 (%5) clutch %6, %7")
        .arg(side, QString::number(bite->value()), bite->statusTip(),
             QString::number(pulse->value()), pulse->statusTip(),
             child<QRadioButton>(window, "cbClutch")->isChecked() ? "on" : "off",
             child<QLabel>(window, "lbVersion")->text());
}

} // namespace

class TestConnection : public WindowTest
{
    Q_OBJECT

private slots:
    void searches();
    void listedWheel();
    void permissionHint_data();
    void permissionHint();
    void shownAtConnection_data();
    void shownAtConnection();
    void reconnect_data();
    void reconnect();
    void failedConnectionRead_data();
    void failedConnectionRead();
    void arrival_data();
    void arrival();

    // Without a wheel: the ABOUT page with its button marked, no version
    // shown, the heading's text through translation.
    void waitingStateAfterConstruction()
    {
        MarkingTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        {
            MainWindow window;
            QTRY_VERIFY(child<QPushButton>(window, "pbS5")->isChecked());
            QCOMPARE(child<QLabel>(window, "lbHead")->text(),
                     QStringLiteral("@WAITING FOR DEVICE..."));
            QVERIFY(child<QLabel>(window, "lbVersion")->isHidden());
        }
        QCoreApplication::removeTranslator(&translator);
    }

    void sidebar_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("page"); // -1: a foreign sender, nothing changes
        QTest::newRow("INPUTS") << "pbS1" << 0;
        QTest::newRow("PADDLES, placed after DEVICE in the form") << "pbS3" << 2;
        QTest::newRow("ABOUT") << "pbS5" << 4;
        QTest::newRow("digit six") << "pbS6" << -1;
        QTest::newRow("name too short") << "pbS" << -1;
        QTest::newRow("Arabic-Indic one, outside Latin-1") << QString::fromUtf8("pbS\u0661") << -1;
    }
    void sidebar()
    {
        QFETCH(QString, button);
        QFETCH(int, page);
        MainWindow window;
        auto *stack = child<QStackedWidget>(window, "stackedWidget");
        QTRY_COMPARE(stack->currentIndex(), 4);

        QPushButton foreign;
        auto *clicked = window.findChild<QPushButton *>(button);
        if (page < 0) {
            foreign.setObjectName(button);
            QVERIFY(connect(&foreign, SIGNAL(clicked()), &window, SLOT(onSidebar())));
            clicked = &foreign;
        }
        clicked->setEnabled(true);
        clicked->click();
        QCOMPARE(stack->currentIndex(), page < 0 ? 4 : page);
        QStringList checked;
        for (const char *name : {"pbS1", "pbS2", "pbS3", "pbS4", "pbS5"}) {
            if (child<QPushButton>(window, name)->isChecked())
                checked << name;
        }
        QCOMPARE(checked, page < 0 ? QStringList() : QStringList{button});
    }

    // The window at (100, 100) after the steps, as sendMouse takes them.
    void drag_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QPoint>("moved");
        const QString strip = QStringLiteral("pL 300,%1 400,%2; m 330,%3 430,%4");
        const auto inStrip = [&](double y) {
            return strip.arg(y).arg(100 + y).arg(y + 20).arg(120 + y);
        };
        QTest::newRow("y 49.4 rounds to 49") << inStrip(49.4) << QPoint(30, 20);
        QTest::newRow("y 49.5 rounds to 50") << inStrip(49.5) << QPoint();
        // Measured from 310.7, 0.6 more is no whole pixel; after the release
        // nothing moves.
        QTest::newRow("fractions dropped") << "pL 200,10 300,110; m 210.7,10 310.7,110; m 211.3,10 "
                                              "311.3,110; rL 211.3,10 311.3,110; m 250,10 350,110"
                                           << QPoint(10, 0);
        QTest::newRow("negative screen coordinates")
            << "pL 10,10 -500,-300; m 15,10 -495,-303" << QPoint(5, -3);
        QTest::newRow("move without press") << "m 40,40 530,530" << QPoint();
        QTest::newRow("right button") << "pR 10,10 110,110; m 40,40 140,140" << QPoint();
        QTest::newRow("any release ends the drag")
            << "pL 10,10 110,110; rR 10,10 110,110; m 40,40 140,140" << QPoint();
    }
    void drag()
    {
        QFETCH(QString, steps);
        MainWindow window;
        window.move(100, 100);
        const QPoint start = window.pos();
        sendMouse(window, steps);
        QTEST(window.pos() - start, "moved");
    }

    void closing_data()
    {
        QTest::addColumn<bool>("wheel");
        QTest::addColumn<bool>("closeButton");
        QTest::newRow("close button") << true << true;
        QTest::newRow("window manager") << true << false;
        QTest::newRow("no wheel: nothing sent") << false << true;
    }
    void closing()
    {
        QFETCH(bool, wheel);
        QFETCH(bool, closeButton);
        if (wheel)
            emu::plug(emu::Model::Ralka);
        DebugCapture debug;
        MainWindow window;
        window.show();
        QTRY_VERIFY(wheel ? windowlook::isConnected(window) : windowlook::isWaiting(window));
        if (closeButton)
            child<QPushButton>(window, "pbClose")->click();
        else
            window.close();
        QCOMPARE(debug.count("joystick event thread done."), wheel ? 1 : 0);
        QVERIFY(!HidLink::instance().isOpen());
        QVERIFY(!window.isVisible());
        QVERIFY(wheel || emu::log().empty());
    }
};

// Each search tries the three ids in order, a retry delay apart, and with
// no wheel tells nothing; of the wheels found the lowest id opens, and only
// it is talked to.
void TestConnection::searches()
{
    DebugCapture debug;
    MainWindow window;
    QTRY_VERIFY_WITH_TIMEOUT(emu::openAttempts().size() >= 9, 3000);
    QVERIFY(windowlook::isWaiting(window));
    const std::vector<emu::OpenAttempt> opens = emu::openAttempts();
    const std::uint16_t order[] = {0x2007, 0x2008, 0x2009};
    for (std::size_t i = 0; i < 9; ++i) {
        QCOMPARE(opens[i].vendorId, std::uint16_t{0x7B3E});
        QCOMPARE(opens[i].productId, order[i % 3]);
        QVERIFY(!opens[i].opened);
    }
    QVERIFY(opens[3].time - opens[2].time >= std::chrono::milliseconds(3000 / 20));
    QVERIFY(dialogs::script::boxes().isEmpty());
    QVERIFY(debug.lines().filter(QStringLiteral("could not be opened")).isEmpty());

    emu::plug(Model::Sovin, 0x2009);
    emu::plug(Model::Ralka, 0x2008);
    emu::clearLog();
    QTRY_VERIFY(windowlook::isConnected(window));
    QVERIFY(child<QLabel>(window, "lbHead")->text().endsWith("RALKA"));
    for (const emu::LogEntry &entry : emu::log())
        QCOMPARE(entry.productId, std::uint16_t{0x2008});
}

// The wheel a search tries first is the one named: lowest product id
// among the three, whatever the order on the bus; unplugged and foreign
// ids do not count.
void TestConnection::listedWheel()
{
    std::vector<std::shared_ptr<emu::Wheel>> wheels;
    for (std::uint16_t id : {0x2009, 0x2008, 0x2007, 0x2006})
        wheels.push_back(emu::plug(Model::Ralka, id));
    wheels[2]->unplug();
    const std::optional<listedwheel::Wheel> found = listedwheel::first();
    QVERIFY(found);
    QCOMPARE(found->productId, std::uint16_t(0x2008));
    QCOMPARE(found->path, pathOf(0x2008));
}

void TestConnection::permissionHint_data()
{
    // Refused on the first search only, as while udev still sets its rights.
    QTest::addColumn<bool>("refusedOnce");
    QTest::newRow("unopenable wheel") << false;
    QTest::newRow("refused once, then opens") << true;
}

// One box and one debug line for a wheel that stays listed but unopenable,
// however long the search goes on; none for a wheel that opens. The search
// keeps retrying and connects once the wheel opens.
void TestConnection::permissionHint()
{
    QFETCH(bool, refusedOnce);
    auto wheel = emu::plug(Model::Demta, 0x2008);
    wheel->setOpenable(false);
    DebugCapture debug;
    MainWindow window;
    if (refusedOnce) {
        // Polled closely: the second search must not come before the change.
        QVERIFY(QTest::qWaitFor([] { return searchCount() >= 1; }));
        wheel->setOpenable(true);
        QTRY_VERIFY(windowlook::isConnected(window));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(searchCount() >= 6, 5000);
        QVERIFY(windowlook::isWaiting(window));
    }

    const QList<dialogs::ShownBox> boxes = dialogs::script::boxes();
    const QStringList lines = debug.lines().filter(QStringLiteral("could not be opened"));
    const int hints = refusedOnce ? 0 : 1;
    QCOMPARE(boxes.size(), hints);
    QCOMPARE(lines.size(), hints);
    if (hints == 0)
        return;
    QCOMPARE(boxes[0].title, QStringLiteral("Error"));
    const QString path = pathOf(0x2008);
    for (const QString &part : {QStringLiteral("found at %1,").arg(path),
                                QStringLiteral("70-nolkset.rules"), QStringLiteral("udevadm")})
        QVERIFY2(boxes[0].text.contains(part), qPrintable(boxes[0].text));
    QVERIFY(lines[0].contains(QStringLiteral("7b3e:2008 listed at %1").arg(path)));

    wheel->setOpenable(true);
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(dialogs::script::boxes().size(), 1);
}

// The model is the one whose name the wheel's name holds, whatever its
// product id; with none, the window keeps the form's pages. Each indicator
// sits at its own control; IB13 and IB14 cross with B14 and B13 between the
// INPUTS and the LED page. SOVIN leaves the LED page and the first two
// encoders as the form made them: DEMTA's picture and places, dots shown.
// Slot 0 is stored red: the LED buttons are painted, the page's other
// buttons keep the form's look.
void TestConnection::shownAtConnection_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QString>("name");      // empty: the model's own
    QTest::addColumn<QList<int>>("stored"); // paddle mode, pulse width, clutch
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("pictures"); // main page | LED page
    QTest::addColumn<QString>("offered");  // LED page, dots, shifter option, wireless
    QTest::addColumn<QString>("positions");

    const QString ralka = QStringLiteral("border-image: url(:/img/back.ralka.png)");
    const QString demta = QStringLiteral("border-image: url(:/img/back.demta.png)");
    QTest::newRow("RALKA name on DEMTA's product id")
        << Model::Demta << "NOLK RALKA WHEEL" << QList<int>{100, 180, -1} << "Mar  5 2024,10:30:"
        << "rbPadL 100 (100) 180 (180) clutch on, Firmware Version:\tMar  5 2024,10:30"
        << ralka + '|' + ralka << "pbS2 lbBTStatus lbBatStatus lbVersion"
        << "lbEnc 290,10; pbSWR 546,37; pbIB13 512,321; pbIB14 497,272; pbID8L 540,110; "
           "pbB13 497,272; pbB14 512,321; pbD3 200,110";
    QTest::newRow("DEMTA, pulse clamped")
        << Model::Demta << QString() << QList<int>{150, 500, 255} << "Jan 12 2024,09:15"
        << "rbPadR 49 (150) 240 (500) clutch off, Firmware Version:\tJan 12 2024,09:15"
        << demta + '|' + demta << "pbS2 pbT1 pbTR3 cbShifter lbVersion"
        << "lbEnc 290,70; pbSWL 195,51; pbIB13 510,330; pbJsLL 216,207; pbB1 151,49; "
           "pbB14 510,330";
    QTest::newRow("SOVIN, negative pulse ignored")
        << Model::Sovin << QString() << QList<int>{230, -1, 1} << "Nov 21 2023,16:05"
        << "rbPadNo 50 (230) 100 (-1) clutch on, Firmware Version:\tNov 21 2023,16:05"
        << "border-image: url(:/img/back.sovin.png)|" + demta + ';'
        << "pbT1 pbTR3 lbBTStatus lbBatStatus lbVersion"
        << "lbEnc 290,10; hsTrigger 309,40; pbIB1 120,28; pbID8R 540,100; pbB14 490,270";
    QTest::newRow("lower-case name: no profile")
        << Model::Ralka << "nolk ralka wheel" << QList<int>{50, 100, 1} << "Mar  5 2024,10:30"
        << "rbPadL 50 (50) 100 (100) clutch on, Firmware Version:\tMar  5 2024,10:30"
        << "border-image:|" + demta + ';' << "pbS2 pbT1 pbTR3 cbShifter lbVersion" << QString();
}

void TestConnection::shownAtConnection()
{
    QFETCH(Model, model);
    QFETCH(QString, name);
    QFETCH(QList<int>, stored);
    QFETCH(QString, date);
    QFETCH(QString, positions);
    auto wheel = windowfixture::plug(model, 0x2009, name);
    wheel->setStored(storedSettings(stored[0], stored[1], stored[2]));
    wheel->setBuildDate(date.toStdString());
    wheel->setStoredLeds({0x0F});
    wheel->setBattery(80, 3950);

    MainWindow window;
    QMap<QString, QString> formStyles;
    for (QPushButton *button : child<QWidget>(window, "page2")->findChildren<QPushButton *>()) {
        if (!button->objectName().contains(QRegularExpression("^pb[BDT]")))
            formStyles.insert(button->objectName(), button->styleSheet());
    }
    QVERIFY(formStyles.contains("pbSave"));
    QTRY_VERIFY2(windowlook::isConnected(window), qPrintable(windowlook::describe(window)));

    QCOMPARE(child<QLabel>(window, "lbHead")->text(),
             "NOLK CONTROLS " + QString::fromStdString(wheel->name()));
    QTEST(storedState(window), "shown");
    QTEST(child<QLabel>(window, "lbMain")->styleSheet() + '|' +
              child<QLabel>(window, "lbMainRGB")->styleSheet(),
          "pictures");
    QStringList offers;
    for (const char *name :
         {"pbS2", "pbT1", "pbTR3", "cbShifter", "lbBTStatus", "lbBatStatus", "lbVersion"}) {
        if (child<QWidget>(window, name)->isEnabled() && !child<QWidget>(window, name)->isHidden())
            offers << name;
    }
    QTEST(offers.join(' '), "offered");
    for (const QString &spot : positions.split(';', Qt::SkipEmptyParts)) {
        const QStringList parts = spot.simplified().split(QRegularExpression("[ ,]"));
        const QWidget *widget = child<QWidget>(window, qPrintable(parts[0]));
        QVERIFY2(widget->pos() == QPoint(parts[1].toInt(), parts[2].toInt()), qPrintable(spot));
    }
    for (auto form = formStyles.begin(); form != formStyles.end(); ++form)
        QVERIFY2(child<QPushButton>(window, qPrintable(form.key()))->styleSheet() == form.value(),
                 qPrintable(form.key()));
    QCOMPARE(buttonColor(window, "pbB1"), QStringLiteral("rgb(255,0,0)"));
    QCOMPARE(buttonColor(window, "pbB2"), QStringLiteral("rgb(0,0,0)"));
}

void TestConnection::reconnect_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("searches");
    QTest::newRow("back after the window waits") << "wait" << 1;
    QTest::newRow("back before the loss is seen") << "replug" << 1;
    QTest::newRow("two searches queued") << "search twice" << 2;
}

// Each search reads the wheel once, the lamp shows only when the window
// waited, and the reader of an earlier connection has ended before the
// wheel was opened again: the new one runs on the open wheel.
void TestConnection::reconnect()
{
    QFETCH(QString, how);
    QFETCH(int, searches);
    auto wheel = emu::plug(Model::Sovin);
    DebugCapture debug;
    MainWindow &window = connectWindow();
    ShowCounter lamp(child<QPushButton>(window, "pbStatus"));

    if (how == "search twice") {
        emu::clearLog();
        QMetaObject::invokeMethod(&window, "onInit", Qt::QueuedConnection);
        QMetaObject::invokeMethod(&window, "onInit", Qt::QueuedConnection);
    } else {
        wheel->unplug();
        if (how == "wait") {
            QTRY_VERIFY(windowlook::isWaiting(window));
            // A retry finds nothing and starts no second reader.
            emu::clearLog();
            QTRY_VERIFY(!emu::openAttempts().empty());
            QVERIFY(windowlook::isWaiting(window));
            QCOMPARE(debug.count("joystick event thread done."), 1);
        }
        emu::clearLog();
        wheel->replug();
    }
    QTRY_COMPARE(logged(emu::Transfer::SendFeature, 0x0D), searches);
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(lamp.shows > 0, how == "wait");
    QVERIFY(HidLink::instance().isOpen());
    wheel->setHeld(0, true);
    QTRY_VERIFY(logged(emu::Transfer::Read) > 0);
    // No search after the one that connected.
    QCOMPARE(logged(emu::Transfer::SendFeature, 0x0D), searches);
}

void TestConnection::failedConnectionRead_data()
{
    QTest::addColumn<int>("readsBefore");
    QTest::addColumn<bool>("closeWhileWaiting");
    QTest::addColumn<QByteArray>("stale"); // the answer of another query; empty: the get fails
    QTest::addColumn<QList<int>>("query"); // item, parameter
    struct Query
    {
        const char *name;
        int before;
        const char *stale;
        QList<int> query;
    };
    const Query queries[] = {{"LED block 2", 2, "0203", {0x02, 0}},
                             {"paddle mode", 4, "020c0496", {0x0A, 0}},
                             {"pulse width", 5, "020c08b4", {0x0C, 0x04}},
                             {"clutch", 6, "020c04ff", {0x0C, 0x08}},
                             {"name", 7, "020c534f56494e", {0x0D, 0}},
                             {"version", 8, "020a", {0x09, 0}}};
    for (const Query &q : queries) {
        QTest::addRow("%s fails, retried", q.name) << q.before << false << QByteArray() << q.query;
        QTest::addRow("%s fails, window closed", q.name)
            << q.before << true << QByteArray() << q.query;
        QTest::addRow("%s without its echo, retried", q.name)
            << q.before << false << QByteArray(q.stale) << q.query;
    }
    QTest::newRow("clutch without its echo, window closed")
        << 6 << true << QByteArray("020c04ff") << QList<int>{0x0C, 0x08};
}

// A connection whose query fails, or is answered for another query, drops
// the wheel and searches again as if none had been found; a half-read wheel
// is never shown as connected.
void TestConnection::failedConnectionRead()
{
    QFETCH(int, readsBefore);
    QFETCH(bool, closeWhileWaiting);
    QFETCH(QByteArray, stale);
    QFETCH(QList<int>, query);
    auto wheel = emu::plug(Model::Demta);
    const emu::Settings stored = storedSettings(150, 180, 1);
    wheel->setStored(stored);
    const emu::LedImage leds{0x0F}; // slot 0 red
    wheel->setStoredLeds(leds);
    if (stale.isEmpty()) {
        emu::failFrom(emu::Transfer::GetFeature, readsBefore);
    } else {
        wheel->setRawAnswer(std::uint8_t(query[0]), std::uint8_t(query[1]), answerFrom(stale));
    }
    // Room for the test to lift the failure before the retry.
    delays::setTestDivisor(6);

    DebugCapture debug;
    MainWindow window;
    window.show();
    QTRY_COMPARE(debug.count("joystick event thread done."), 1);
    emu::clearFailures();
    wheel->clearRawAnswers();
    QVERIFY(!HidLink::instance().isOpen());
    QCOMPARE(logged(emu::Transfer::GetFeature, -1, false), stale.isEmpty() ? 1 : 0);
    QCOMPARE(logged(emu::Transfer::GetFeature), readsBefore + (stale.isEmpty() ? 0 : 1));
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
    QVERIFY(storedState(window).startsWith("rbPadR 49 (150) 180 (180) clutch on, Firmware "
                                           "Version:\tNov 21 2023,16:05"));
    QCOMPARE(buttonColor(window, "pbB1"), QStringLiteral("rgb(255,0,0)"));
    QVERIFY(child<QLabel>(window, "lbHead")->text().endsWith("DEMTA"));
    QVERIFY(HidLink::instance().isOpen());
    wheel->setHeld(0, true);
    QTRY_VERIFY(logged(emu::Transfer::Read) > 0);
}

void TestConnection::arrival_data()
{
    QTest::addColumn<bool>("events");
    QTest::addColumn<bool>("opensAtOnce");
    QTest::addColumn<QString>("opened");
    QTest::newRow("announced") << true << true << "in the same turn";
    QTest::newRow("node not open-able yet") << true << false << "250 ms on";
    QTest::newRow("no device events") << false << true << "at the retry";
}

// A waiting window searches as soon as the system announces a wheel, once
// more 250 ms on when it does not open yet, and without device events finds
// it by the retry 3 s after its last search.
void TestConnection::arrival()
{
    QFETCH(bool, events);
    QFETCH(bool, opensAtOnce);
    QFETCH(QString, opened);
    using std::chrono::milliseconds;
    delays::setTestDivisor(1);
    emu::setDeviceEventsAvailable(events);
    DebugCapture debug;
    MainWindow window;
    QTRY_COMPARE(emu::openAttempts().size(), std::size_t{3});
    const emu::Clock::time_point searched = emu::openAttempts().back().time;
    QCOMPARE(debug.count("no device events (the emulated system has none): looking for the "
                         "wheel every 3 s"),
             events ? 0 : 1);

    auto wheel = emu::plug(Model::Ralka);
    const emu::Clock::time_point plugged = emu::Clock::now();
    wheel->setOpenable(opensAtOnce);
    QCoreApplication::processEvents();
    QCOMPARE(HidLink::instance().isOpen(), opened == "in the same turn");
    wheel->setOpenable(true);
    QTRY_VERIFY_WITH_TIMEOUT(windowlook::isConnected(window), 10000);

    const emu::OpenAttempt last = emu::openAttempts().back();
    QVERIFY(last.opened);
    if (opened == "250 ms on")
        QVERIFY(last.time - plugged >= milliseconds(250) &&
                last.time - plugged < milliseconds(3000));
    if (opened == "at the retry")
        QVERIFY(last.time - searched >= milliseconds(3000));
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
