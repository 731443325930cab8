#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "support/findwidget.h"
#include "support/testenv.h"
#include "support/windowlook.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QTest>

namespace {

using emu::Model;

// A report as the wheel receives it: the given bytes, then zeros up to 20.
QString report(const QString &hex)
{
    return hex + QString(2 * emu::ReportSize - hex.size(), QLatin1Char('0'));
}

QStringList reports(const QStringList &hex)
{
    QStringList out;
    for (const QString &bytes : hex)
        out << report(bytes);
    return out;
}

// Every feature report the wheel took since the log was last cleared.
QStringList received()
{
    QStringList out;
    for (const emu::LogEntry &entry : emu::log()) {
        if (entry.kind == emu::Transfer::SendFeature && entry.result > 0)
            out << QByteArray(reinterpret_cast<const char *>(entry.bytes.data()),
                              static_cast<qsizetype>(entry.bytes.size()))
                       .toHex();
    }
    return out;
}

QStringList boxes()
{
    QStringList out;
    for (const dialogs::ShownBox &box : dialogs::script::boxes()) {
        const char *icon = box.icon == QMessageBox::Critical      ? "critical"
                           : box.icon == QMessageBox::Information ? "information"
                                                                  : "other";
        out << QStringLiteral("%1 %2: %3").arg(QLatin1String(icon), box.title, box.text);
    }
    return out;
}

const QString Saved = QStringLiteral("information Success: Setting saved.");
const QString NotSaved = QStringLiteral("critical Error: Can not save setting.");

// Waits for the connection, and for the live clutch report it queues, so the
// log holds only what a test does afterwards.
bool connectAndClearLog(MainWindow &window)
{
    if (!QTest::qWaitFor([&] { return windowlook::isConnected(window); }))
        return false;
    const bool clutchSent = QTest::qWaitFor([] {
        for (const QString &bytes : received()) {
            if (bytes.startsWith(QLatin1String("020c08")))
                return true;
        }
        return false;
    });
    emu::clearLog();
    dialogs::script::reset();
    return clutchSent;
}

std::shared_ptr<emu::Wheel> plugWithStored(Model model, int paddleMode, int clutch)
{
    auto wheel = emu::plug(model);
    emu::Settings stored = wheel->stored();
    stored.paddleMode = static_cast<std::uint8_t>(paddleMode);
    stored.clutch = clutch;
    wheel->setStored(stored);
    return wheel;
}

int failedGets()
{
    int count = 0;
    for (const emu::LogEntry &entry : emu::log()) {
        if (entry.kind == emu::Transfer::GetFeature && entry.result < 0)
            ++count;
    }
    return count;
}

} // namespace

class TestPaddles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void liveModeOnRelease_data();
    void liveModeOnRelease();
    void save_data();
    void save();
    void closing_data();
    void closing();
    void switchesStayIndependent_data();
    void switchesStayIndependent();
    void shifterTeaching_data();
    void shifterTeaching();
};

void TestPaddles::initTestCase()
{
    testenv::isolate();
}

void TestPaddles::cleanup()
{
    emu::reset();
    testenv::clearSettings();
    dialogs::script::reset();
}

void TestPaddles::liveModeOnRelease_data()
{
    QTest::addColumn<QString>("side");
    QTest::addColumn<int>("bite");
    QTest::addColumn<QString>("sent");
    QTest::newRow("left 100") << "rbPadL" << 100 << "020a64";
    QTest::newRow("left 0") << "rbPadL" << 0 << "020a00";
    QTest::newRow("right 0") << "rbPadR" << 0 << "020a65";
    QTest::newRow("right 100") << "rbPadR" << 100 << "020ac9";
    QTest::newRow("disable at 30") << "rbPadNo" << 30 << "020aff";
    QTest::newRow("disable at 100") << "rbPadNo" << 100 << "020aff";
}

void TestPaddles::liveModeOnRelease()
{
    QFETCH(QString, side);
    QFETCH(int, bite);
    QFETCH(QString, sent);
    emu::plug(Model::Ralka);
    MainWindow window;
    QVERIFY(connectAndClearLog(window));

    // Side and slider alone reach the wheel only with the release.
    window.findChild<QRadioButton *>(side)->click();
    auto *slider = child<QSlider>(window, "hsBite");
    slider->setValue(bite);
    QCOMPARE(child<QLabel>(window, "lbBite")->text(), QStringLiteral("%1%").arg(bite));
    QTest::qWait(20);
    QCOMPARE(received(), QStringList());

    emit slider->sliderReleased();
    QCOMPARE(received(), reports({sent}));
}

void TestPaddles::save_data()
{
    QTest::addColumn<int>("storedMode");
    QTest::addColumn<QString>("side");
    QTest::addColumn<bool>("clutchOn");
    QTest::addColumn<QString>("clutchAnswer");
    QTest::addColumn<QString>("fail");
    QTest::addColumn<int>("saves");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("storedModeAfter");
    QTest::addColumn<int>("storedClutchAfter");

    // Without a stored calibration the axis ranges go out as 0 to 4096.
    const QString ranges = QStringLiteral("00"
                                          "0010"
                                          "0010"
                                          "0000"
                                          "0000");
    const QString query = QStringLiteral("020b0c08");
    QTest::newRow("side change stored with the axis ranges, then only queried")
        << 50 << "rbPadR" << true << ""
        << "" << 2 << QStringList{"020a97ef" + ranges, query, query} << QStringList{Saved, Saved}
        << 151 << 1;
    QTest::newRow("nothing changed: only the query")
        << 50 << "" << true << ""
        << "" << 1 << QStringList{query} << QStringList{Saved} << 50 << 1;
    QTest::newRow("230 shown as DISABLE is stored as FF")
        << 230 << "" << true << ""
        << "" << 1 << QStringList{"020affef" + ranges, query} << QStringList{Saved} << 255 << 1;
    QTest::newRow("clutch answer 255 with clutch on keeps the answer's tail")
        << 50 << "" << true << "020c08ff00000000a1a2a3a4a5a6a7a8a9aaabac"
        << "" << 1 << QStringList{query, "020c0801000000efa1a2a3a4a5a6a7a8a9aaabac"}
        << QStringList{Saved} << 50 << 1;
    QTest::newRow("clutch switched off is stored as 255")
        << 50 << "" << false << ""
        << "" << 1 << QStringList{query, "020c08ff000000ef"} << QStringList{Saved} << 50 << 255;
    QTest::newRow("failed paddle write: error, the next save sends it again")
        << 50 << "rbPadR" << true << ""
        << "first send" << 2 << QStringList{query, "020a97ef" + ranges, query}
        << QStringList{NotSaved, Saved} << 151 << 1;
    QTest::newRow("failed clutch write: error")
        << 50 << "" << true << "020c08ff000000"
        << "sends after the query" << 1 << QStringList{query} << QStringList{NotSaved} << 50 << 1;
    QTest::newRow("failed clutch query: error, no clutch write")
        << 50 << "" << false << ""
        << "first get" << 1 << QStringList{query} << QStringList{NotSaved} << 50 << 1;
}

void TestPaddles::save()
{
    QFETCH(int, storedMode);
    QFETCH(QString, side);
    QFETCH(bool, clutchOn);
    QFETCH(QString, clutchAnswer);
    QFETCH(QString, fail);
    QFETCH(int, saves);
    QFETCH(QStringList, sent);
    QFETCH(QStringList, shown);
    QFETCH(int, storedModeAfter);
    QFETCH(int, storedClutchAfter);

    auto wheel = plugWithStored(Model::Ralka, storedMode, 1);
    MainWindow window;
    QVERIFY(connectAndClearLog(window));
    if (!side.isEmpty())
        window.findChild<QRadioButton *>(side)->click();
    auto *clutch = child<QRadioButton>(window, "cbClutch");
    if (clutch->isChecked() != clutchOn)
        clutch->click();
    QCOMPARE(clutch->isChecked(), clutchOn);
    if (!clutchAnswer.isEmpty()) {
        emu::Report answer{};
        const QByteArray bytes = QByteArray::fromHex(report(clutchAnswer).toLatin1());
        std::copy(bytes.begin(), bytes.end(), answer.begin());
        wheel->setRawAnswer(0x0C, 0x08, answer);
    }
    emu::clearLog();

    if (fail == QLatin1String("first send"))
        emu::failNext(emu::Transfer::SendFeature, 1);
    else if (fail == QLatin1String("sends after the query"))
        emu::failFrom(emu::Transfer::SendFeature, 1);
    else if (fail == QLatin1String("first get"))
        emu::failNext(emu::Transfer::GetFeature, 1);
    auto *save = child<QPushButton>(window, "pbSaveP");
    save->click();
    emu::clearFailures();
    for (int i = 1; i < saves; ++i)
        save->click();

    QCOMPARE(received(), reports(sent));
    QCOMPARE(boxes(), shown);
    QCOMPARE(int{wheel->stored().paddleMode}, storedModeAfter);
    QCOMPARE(wheel->stored().clutch, storedClutchAfter);
}

void TestPaddles::closing_data()
{
    QTest::addColumn<int>("bite");
    QTest::addColumn<int>("failGetsFrom");
    QTest::addColumn<int>("storedModeAfter");

    // Stored: right paddle, bite point 49; clutch on.
    QTest::newRow("changed bite point is stored") << 70 << -1 << 171;
    QTest::newRow("unchanged page stores nothing") << -1 << -1 << 150;
    // The connection reads four LED blocks first, then the paddle mode, the
    // pulse width and the clutch.
    QTest::newRow("paddle mode never read") << -1 << 4 << 150;
    QTest::newRow("clutch never read") << -1 << 6 << 150;
}

void TestPaddles::closing()
{
    QFETCH(int, bite);
    QFETCH(int, failGetsFrom);
    QFETCH(int, storedModeAfter);

    auto wheel = plugWithStored(Model::Ralka, 150, 1);
    if (failGetsFrom >= 0)
        emu::failFrom(emu::Transfer::GetFeature, failGetsFrom);
    MainWindow window;
    window.show();
    if (failGetsFrom >= 0) {
        QTRY_VERIFY(failedGets() > 0);
        QTest::qWait(20);
        emu::clearFailures();
    } else {
        QVERIFY(connectAndClearLog(window));
    }
    if (bite >= 0)
        child<QSlider>(window, "hsBite")->setValue(bite);

    child<QPushButton>(window, "pbClose")->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(boxes(), QStringList());
    QCOMPARE(int{wheel->stored().paddleMode}, storedModeAfter);
    QCOMPARE(wheel->stored().clutch, 1);
}

void TestPaddles::switchesStayIndependent_data()
{
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<bool>("clutchBefore");
    QTest::addColumn<bool>("shifterBefore");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("clutch off, shifters stay on")
        << "cbClutch" << true << true << QStringList{"020c08ff"};
    QTest::newRow("clutch on, shifters stay off")
        << "cbClutch" << false << false << QStringList{"020c0801"};
    QTest::newRow("shifters on, clutch stays on") << "cbShifter" << true << false << QStringList{};
    QTest::newRow("shifters off, clutch stays off")
        << "cbShifter" << false << true << QStringList{};
}

void TestPaddles::switchesStayIndependent()
{
    QFETCH(QString, clicked);
    QFETCH(bool, clutchBefore);
    QFETCH(bool, shifterBefore);
    QFETCH(QStringList, sent);

    QSettings("Nolk Controls", "NolkSet").setValue("EXTRA_SHIFTER", shifterBefore);
    plugWithStored(Model::Demta, 50, clutchBefore ? 1 : 255);
    MainWindow window;
    QVERIFY(connectAndClearLog(window));
    auto *clutch = child<QRadioButton>(window, "cbClutch");
    auto *shifter = child<QRadioButton>(window, "cbShifter");
    QCOMPARE(clutch->isChecked(), clutchBefore);
    QCOMPARE(shifter->isChecked(), shifterBefore);

    window.findChild<QRadioButton *>(clicked)->click();

    const bool clutchAfter = clicked == QLatin1String("cbClutch") ? !clutchBefore : clutchBefore;
    const bool shifterAfter =
        clicked == QLatin1String("cbShifter") ? !shifterBefore : shifterBefore;
    QCOMPARE(clutch->isChecked(), clutchAfter);
    QCOMPARE(shifter->isChecked(), shifterAfter);
    QCOMPARE(received(), reports(sent));
    for (const char *name : {"groupBox", "pgAdcL", "pgAdcR", "pbCalL", "pbCalR"})
        QVERIFY2(child<QWidget>(window, name)->isHidden() != clutchAfter, name);
    QCOMPARE(child<QWidget>(window, "gpBear")->height(), shifterAfter ? 191 : 111);
    QCOMPARE(QSettings("Nolk Controls", "NolkSet").value("EXTRA_SHIFTER").toBool(), shifterAfter);
}

void TestPaddles::shifterTeaching_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("parameter");
    QTest::addColumn<QString>("text");
    QTest::newRow("left") << "pbBearLCa" << 0x03 << "PRESS AND HOLD LEFT SHIFTER THEN CLICK ME";
    QTest::newRow("right") << "pbBearRCa" << 0x05 << "PRESS AND HOLD RIGHT SHIFTER THEN CLICK ME";
    QTest::newRow("extra left") << "pbBearExLCa" << 0x06
                                << "PRESS AND HOLD EXTRAL SHIFTER THEN CLICK ME";
    QTest::newRow("extra right") << "pbBearExRCa" << 0x07
                                 << "PRESS AND HOLD EXTRAR SHIFTER THEN CLICK ME";
}

void TestPaddles::shifterTeaching()
{
    QFETCH(QString, button);
    QFETCH(int, parameter);
    QFETCH(QString, text);
    auto wheel = emu::plug(Model::Demta);
    MainWindow window;
    QVERIFY(connectAndClearLog(window));
    auto *teach = window.findChild<QPushButton *>(button);
    const auto pp = static_cast<std::uint8_t>(parameter);
    const QString prefix = QStringLiteral("020c%1").arg(parameter, 2, 16, QLatin1Char('0'));

    teach->click();
    QCOMPARE(teach->text(), text);
    QVERIFY(wheel->isTeaching(pp));
    QCOMPARE(received(), reports({prefix}));

    teach->click();
    QCOMPARE(teach->text(), QStringLiteral("CALIBRATE"));
    QCOMPARE(received(), reports({prefix, prefix + "ffffffffef"}));
    QCOMPARE(wheel->timesTaught(pp), 1);
    QCOMPARE(boxes(), QStringList());
}

QTEST_MAIN(TestPaddles)
#include "tst_paddles.moc"
