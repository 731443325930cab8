#include "device/delays.h"
#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "device/hidlink.h"
#include "emulator/wheelemulator.h"
#include "firmware/updatelog.h"
#include "support/debugcapture.h"
#include "support/findwidget.h"
#include "support/firmwareimage.h"
#include "support/keptsettings.h"
#include "support/transfers.h"
#include "support/windowfixture.h"
#include "support/windowlook.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

using namespace std::chrono_literals;
using emu::Model;

constexpr std::uint16_t SecondId = 0x2008;

using windowfixture::shownBoxes;

bool idle(QWidget &window)
{
    return child<QProgressBar>(window, "pgUpgrade")->isHidden() &&
           child<QLabel>(window, "lbUpgrade")->isHidden() &&
           child<QPushButton>(window, "pbUpgrade")->isEnabled() &&
           child<QPushButton>(window, "pbAutoUpgrade")->isEnabled();
}

void upload(QWidget &window, const QString &path)
{
    child<QLineEdit>(window, "lePath")->setText(path);
    child<QPushButton>(window, "pbUpgrade")->click();
}

int nameQueries()
{
    int queries = 0;
    for (const emu::LogEntry &entry : emu::log())
        queries += entry.kind == emu::Transfer::SendFeature && entry.bytes[1] == 0x0B &&
                   entry.bytes[2] == 0x0D;
    return queries;
}

// The paddle mode (stored), the pulse width (stored) and the first LED
// button's colour the pages show, and what "Save Setting" of the PADDLES
// page then sends, trailing zeros left out.
QString pagesAndSave(QWidget &window)
{
    const auto *bite = child<QSlider>(window, "hsBite");
    const auto *pulse = child<QSlider>(window, "hsTrigger");
    QString shown = QStringLiteral("%1 (%2) %3 (%4) %5;")
                        .arg(bite->value())
                        .arg(bite->statusTip())
                        .arg(pulse->value())
                        .arg(pulse->statusTip())
                        .arg(windowlook::buttonColor(window, "pbB1"));
    emu::clearLog();
    child<QPushButton>(window, "pbSaveP")->click();
    for (QByteArray sent : sentReports()) {
        while (sent.endsWith(" 00"))
            sent.chop(3);
        shown += ' ' + QString::fromLatin1(sent.replace(' ', ""));
    }
    return shown;
}

// The log's lines as "<result> <version after> <source>".
QStringList logged()
{
    QStringList lines;
    for (const updatelog::Entry &entry : updatelog::read(updatelog::defaultPath()).entries)
        lines << updatelog::resultName(entry.result) + ' ' + entry.versionAfter + ' ' +
                     entry.source;
    return lines;
}

QString userFiles()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

int successfulEnds()
{
    int ends = 0;
    for (const emu::LogEntry &entry : firmwareimage::imageReports())
        ends += firmwareimage::isEnd(entry) && entry.result >= 0;
    return ends;
}

} // namespace

class TestManualUpdate : public WindowTest
{
    Q_OBJECT

private slots:
    void init();

    void pathChecks_data();
    void pathChecks();
    void updateRunsThroughItsStates();
    void settingsAcrossUpdate_data();
    void settingsAcrossUpdate();
    void unpluggedUpdate();
    void failedUploadWaitsForSearch();
    void backFromRestart();
    void closeWaitsForUpload();
    void clearFlash_data();
    void clearFlash();

private:
    QString file(const QString &name, int size);

    // The user's files: the program must leave them alone.
    QTemporaryDir folder;
};

void TestManualUpdate::init()
{
    emu::setFirmwareTiming({30ms, 30ms});
}

QString TestManualUpdate::file(const QString &name, int size)
{
    const QString path = folder.filePath(name);
    if (!firmwareimage::write(path, firmwareimage::make(size)))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestManualUpdate::pathChecks_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("upper-case .BIN") << file(QStringLiteral("image.BIN"), 64);
    QTest::newRow("empty file") << file(QStringLiteral("empty.bin"), 0);
    QTest::newRow("229,377 bytes") << file(QStringLiteral("large.bin"), 229377);
    QTest::newRow("HTTPS is a file name, none there") << "HTTPS://update.example/ralka.bin";
}

void TestManualUpdate::pathChecks()
{
    QFETCH(QString, text);
    emu::plug(Model::Ralka);
    MainWindow &window = connectWindow();
    upload(window, text);
    QTRY_COMPARE(shownBoxes(), QStringList{"Error|Not a valid firmware."});
    QVERIFY(firmwareimage::imageReports().empty());
    QVERIFY(idle(window));
    QCOMPARE(logged(), QStringList{"refused  " + text});
}

// The largest image, a second press and both ways of closing while it runs.
void TestManualUpdate::updateRunsThroughItsStates()
{
    auto wheel = emu::plug(Model::Ralka);
    MainWindow &window = connectWindow();
    const QByteArray image = firmwareimage::make(229376, "Jun  1 2026,12:00");
    const QString path = folder.filePath(QStringLiteral("ralka-full.bin"));
    QVERIFY(firmwareimage::write(path, image));

    // What the DEVICE page shows each time the bar moves: the value, the
    // phase, and whether the two update buttons take a press.
    QStringList states;
    auto *bar = child<QProgressBar>(window, "pgUpgrade");
    connect(bar, &QProgressBar::valueChanged, this, [&] {
        if (!bar->isHidden())
            states << QStringLiteral("%1 %2 %3 %4")
                          .arg(bar->value())
                          .arg(child<QLabel>(window, "lbUpgrade")->text())
                          .arg(child<QPushButton>(window, "pbUpgrade")->isEnabled())
                          .arg(child<QPushButton>(window, "pbAutoUpgrade")->isEnabled());
    });
    upload(window, path);
    QTRY_VERIFY(!states.isEmpty());
    upload(window, file(QStringLiteral("other.bin"), 32));
    QVERIFY(!window.close());
    child<QPushButton>(window, "pbClose")->click();

    const QString wait =
        QStringLiteral("Notify|Please wait until the firmware update has finished.");
    QTRY_COMPARE_WITH_TIMEOUT(shownBoxes().size(), 3, 10000);
    QCOMPARE(shownBoxes(), (QStringList{wait, wait, "Notify|Firmware updated successfully."}));
    QStringList expected;
    for (int value = 1; value <= 95; ++value)
        expected << QStringLiteral("%1 Uploading ... 0 0").arg(value);
    // Reset before the success box; both buttons come back once the wheel
    // has been looked for again.
    for (int value = 97; value <= 99; ++value)
        expected << QStringLiteral("%1 Writing ... 0 0").arg(value);
    expected << "0 Writing ... 0 0";
    QCOMPARE(states, expected);
    QTRY_VERIFY(idle(window));

    // One image, the first, taken whole; the user's file stays.
    QCOMPARE(wheel->lastImage(), std::vector<std::uint8_t>(image.begin(), image.end()));
    QCOMPARE(successfulEnds(), 1);
    QVERIFY(QFile::exists(path));
    // The rebooted wheel is found and read again.
    QTRY_VERIFY_WITH_TIMEOUT(
        child<QLabel>(window, "lbVersion")->text().contains("Jun  1 2026,12:00"), 5000);
    QTRY_VERIFY(windowlook::isConnected(window));
}

// The wheel's stored settings around an update: backed up first, offered
// back when the image reset them. A wheel that cannot be read asks first; a
// folder that cannot be written costs the backup file and the log line, not
// the update.
void TestManualUpdate::settingsAcrossUpdate_data()
{
    QTest::addColumn<bool>("resets");
    QTest::addColumn<bool>("readFails");
    QTest::addColumn<bool>("unwritable");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("restored");

    const QString done = "Notify|Firmware updated successfully.";
    const QString restore =
        "Notify|The update reset the wheel's settings.\nRestore the settings from before the "
        "update?";
    const QString unread = "Notify|The wheel's settings can not be read, so they can not be "
                           "restored after the update.\nUpdate anyway?";
    QTest::newRow("kept") << false << false << false << QMessageBox::No << QStringList{done}
                          << true;
    QTest::newRow("reset, restored") << true << false << false << QMessageBox::Yes
                                     << QStringList{done, restore} << true;
    QTest::newRow("reset, kept at defaults") << true << false << false << QMessageBox::No
                                             << QStringList{done, restore} << false;
    QTest::newRow("unread, not updated") << false << true << false << QMessageBox::No
                                         << QStringList{unread} << true;
    QTest::newRow("unread, updated") << true << true << false << QMessageBox::Yes
                                     << QStringList{unread, done} << false;
    QTest::newRow("folder unwritable, restored from memory")
        << true << false << true << QMessageBox::Yes << QStringList{done, restore} << true;
}

void TestManualUpdate::settingsAcrossUpdate()
{
    QFETCH(bool, resets);
    QFETCH(bool, readFails);
    QFETCH(bool, unwritable);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QStringList, shown);
    QFETCH(bool, restored);

    auto wheel = keptsettings::plugKept(Model::Ralka);
    wheel->setUpdateResetsSettings(resets);
    if (unwritable) {
        QVERIFY(QDir().mkpath(QFileInfo(userFiles()).absolutePath()));
        QVERIFY(firmwareimage::write(userFiles(), "a file where the folder belongs"));
    }
    MainWindow &window = connectWindow();
    DebugCapture debug;
    const QString path = folder.filePath(QStringLiteral("settings.bin"));
    QVERIFY(firmwareimage::write(path, firmwareimage::make(4096, "Jun  1 2026,12:00")));
    if (readFails)
        emu::failNext(emu::Transfer::SendFeature, 1);
    // Each box takes the next answer; the success box comes before the
    // restore question.
    if (!readFails)
        dialogs::script::queueButton(QMessageBox::Ok);
    dialogs::script::queueButton(answer);
    upload(window, path);

    const bool updated = !readFails || answer == QMessageBox::Yes;
    if (updated && !unwritable)
        QTRY_COMPARE_WITH_TIMEOUT(logged(), QStringList{"ok Jun  1 2026,12:00 " + path}, 15000);
    if (unwritable)
        QTRY_VERIFY_WITH_TIMEOUT(!debug.lines().filter("could not be written; lost line").isEmpty(),
                                 15000);
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(shownBoxes(), shown);
    QCOMPARE(wheel->imagesWritten(), updated ? 1 : 0);
    if (!updated)
        QVERIFY(firmwareimage::imageReports().empty());
    // Every stored value back byte for byte, or the image's defaults.
    QCOMPARE(wheel->stored() == keptsettings::kept(), restored);
    QCOMPARE(wheel->storedLeds() == keptsettings::pattern(), restored);
    if (restored && resets)
        QCOMPARE(child<QSlider>(window, "hsTrigger")->value(), 180);
    const QStringList backups =
        QDir(userFiles() + "/backups").entryList({"RALKA-*.json"}, QDir::Files);
    QCOMPARE(backups.size(), readFails || unwritable ? 0 : 1);
    if (unwritable)
        QVERIFY(!debug.lines().filter("settings backup could not be written").isEmpty());
}

// The wheel unplugged halfway with a second one there: no image end, nothing
// for the other wheel, and the window finds that one.
void TestManualUpdate::unpluggedUpdate()
{
    auto wheel = emu::plug(Model::Ralka);
    emu::plug(Model::Demta, SecondId);
    MainWindow &window = connectWindow();
    emu::setLatency(emu::Transfer::SendFeature, 2ms);
    upload(window, file(QStringLiteral("ralka.bin"), 16384));
    QTRY_VERIFY(firmwareimage::imageReports().size() >= 100);
    wheel->unplug();
    const QStringList failed{"Error|Firmware update failed."};
    QTRY_COMPARE_WITH_TIMEOUT(shownBoxes(), failed, 10000);
    QElapsedTimer sinceEnd;
    sinceEnd.start();
    emu::setLatency(emu::Transfer::SendFeature, 0us);
    QTRY_VERIFY(idle(window));

    QTRY_VERIFY_WITH_TIMEOUT(windowlook::isConnected(window) &&
                                 child<QLabel>(window, "lbHead")->text().endsWith("DEMTA"),
                             5000);
    QCOMPARE(shownBoxes(), failed);
    // 30 s (1.5 s here) without the RALKA back.
    QTRY_COMPARE_WITH_TIMEOUT(logged(), QStringList{"failed  " + folder.filePath("ralka.bin")},
                              10000);
    QVERIFY(sinceEnd.elapsed() >= 30000 / 20 / 2);
}

// The search for the wheel that follows a failed upload would cut off an
// upload started before it: until it has read the wheel again, neither
// update button takes a press.
void TestManualUpdate::failedUploadWaitsForSearch()
{
    // The search 1.5 s after the end.
    delays::setTestDivisor(2);
    emu::plug(Model::Ralka);
    MainWindow &window = connectWindow();
    emu::setLatency(emu::Transfer::SendFeature, 500us);
    upload(window, file(QStringLiteral("first.bin"), 16384));
    QTRY_VERIFY(firmwareimage::imageReports().size() >= 10);
    emu::failNext(emu::Transfer::SendFeature, 1);
    QTRY_COMPARE_WITH_TIMEOUT(shownBoxes(), QStringList{"Error|Firmware update failed."}, 10000);
    emu::setLatency(emu::Transfer::SendFeature, 0us);
    emu::clearLog();

    const QString second = file(QStringLiteral("second.bin"), 32);
    bool pressable = false;
    QVERIFY(QTest::qWaitFor(
        [&] {
            if (nameQueries() > 0)
                return true;
            pressable = pressable || child<QPushButton>(window, "pbUpgrade")->isEnabled() ||
                        child<QPushButton>(window, "pbAutoUpgrade")->isEnabled();
            upload(window, second);
            return false;
        },
        10000));
    QVERIFY(!pressable);
    QCOMPARE(nameQueries(), 1);
    QTRY_VERIFY(idle(window));
    QVERIFY(firmwareimage::imageReports().empty());
    upload(window, second);
    QTRY_COMPARE_WITH_TIMEOUT(shownBoxes().last(), QStringLiteral("Notify|Firmware updated successfully."),
                              10000);
}

// A wheel back from its restart before the update's own 3 s reconnection is
// read again as soon as it is back.
void TestManualUpdate::backFromRestart()
{
    delays::setTestDivisor(1);
    emu::setFirmwareTiming({30ms, 300ms});
    emu::plug(Model::Ralka);
    MainWindow &window = connectWindow();
    const QString path = folder.filePath(QStringLiteral("ralka-new.bin"));
    QVERIFY(firmwareimage::write(path, firmwareimage::make(64, "Jun  1 2026,12:00")));
    upload(window, path);

    QTRY_COMPARE_WITH_TIMEOUT(successfulEnds(), 1, 10000);
    const emu::Clock::time_point ended = firmwareimage::imageReports().back().time;
    QTRY_VERIFY_WITH_TIMEOUT(
        child<QLabel>(window, "lbVersion")->text().contains("Jun  1 2026,12:00"), 10000);
    QVERIFY(emu::openAttempts().back().time - ended < 3000ms);
    QTRY_COMPARE_WITH_TIMEOUT(shownBoxes(), QStringList{"Notify|Firmware updated successfully."}, 10000);
    QTRY_VERIFY(windowlook::isConnected(window));
}

// A window destroyed during an upload waits for the whole image.
void TestManualUpdate::closeWaitsForUpload()
{
    auto wheel = emu::plug(Model::Ralka);
    connectWindow();
    emu::setLatency(emu::Transfer::SendFeature, 500us);
    upload(*window, file(QStringLiteral("close.bin"), 16384));
    QTRY_VERIFY(!child<QProgressBar>(*window, "pgUpgrade")->isHidden());
    window.reset();
    QCOMPARE(successfulEnds(), 1);
    QCOMPARE(wheel->lastImage().size(), std::size_t(16384));
    QCOMPARE(wheel->imagesRejected(), 0);
}

// A wheel whose flash was cleared is read again: the pages show its
// defaults, and the next save sends what differs from them, the axis ranges
// included. A failed read drops the connection as at connection.
void TestManualUpdate::clearFlash_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QString>("fault"); // the transfer that fails
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("shown");
    const QString cleared = "Notify|Flash data has been cleared.";
    const QString defaults = "50 (50) 100 (100) rgb(255,255,255); 020a32ef0000100010 020b0c08";
    const QString kept = "49 (150) 180 (180) rgb(255,0,0); 020b0c08";
    QTest::newRow("yes") << QMessageBox::Yes << QString() << cleared << defaults;
    QTest::newRow("no") << QMessageBox::No << QString() << QString() << kept;
    QTest::newRow("yes, the send fails")
        << QMessageBox::Yes << "send" << "Error|Flash data has not been cleared." << kept;
    QTest::newRow("yes, reading back fails") << QMessageBox::Yes << "get" << cleared << defaults;
}

void TestManualUpdate::clearFlash()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QString, fault);
    QFETCH(QString, result);
    auto wheel = emu::plug(Model::Demta);
    emu::Settings stored;
    stored.paddleMode = 150;
    stored.pulseWidth = 180;
    wheel->setStored(stored);
    wheel->setStoredLeds({0x0F});
    MainWindow &window = connectWindow();
    if (!fault.isEmpty())
        emu::failNext(fault == "send" ? emu::Transfer::SendFeature : emu::Transfer::GetFeature, 1);
    dialogs::script::queueButton(answer);
    child<QPushButton>(window, "pbClearFlash")->click();

    QStringList expected{"Notify|Do you want to continue?\nThis operation will delete all the "
                         "settings stored in the device flash memory."};
    if (!result.isEmpty())
        expected << result;
    QCOMPARE(shownBoxes(), expected);
    QCOMPARE(dialogs::script::boxes()[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(wheel->flashClears(), result.startsWith("Notify") ? 1 : 0);
    QCOMPARE(HidLink::instance().isOpen(), fault != "get");
    QTRY_VERIFY(windowlook::isConnected(window));
    QTEST(pagesAndSave(window), "shown");
}

QTEST_MAIN(TestManualUpdate)
#include "tst_manualupdate.moc"
