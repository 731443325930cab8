#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "settings/profilestore.h"
#include "support/findwidget.h"
#include "support/clirun.h"
#include "support/keptsettings.h"
#include "support/windowfixture.h"
#include "support/windowlook.h"
#include "support/transfers.h"

#include <QComboBox>
#include <QDir>
#include <QLocalSocket>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <functional>

namespace {

using emu::Model;

using namespace keptsettings;

void writeProfile(const QString &name, const QByteArray &contents)
{
    QVERIFY(QDir().mkpath(profilestore::folder()));
    QSaveFile file(QDir(profilestore::folder()).filePath(name + ".json"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() &&
            file.commit());
}

// Erases the wheel's stored settings, so a profile applied must bring every
// value back.
void clearFlash(const std::shared_ptr<emu::Wheel> &wheel)
{
    wheel->setStored(emu::Settings{});
    wheel->setStoredLeds(emu::LedImage{});
}

} // namespace

class TestProfiles : public WindowTest
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void lifecycle();
    void window();
    void malformedRequests_data();
    void malformedRequests();
    void waitsForSave();

private:
    // The command line as a terminal runs it; with a window serving, on its
    // own thread while this one does meanwhile and then runs the window's
    // event loop.
    Result run(const QStringList &arguments);
    Result runBeside(const QStringList &arguments, const std::function<void()> &meanwhile = {});

    QTemporaryDir folder;
};

Result TestProfiles::run(const QStringList &arguments)
{
    return runCli(arguments, folder.path());
}

Result TestProfiles::runBeside(const QStringList &arguments, const std::function<void()> &meanwhile)
{
    Result result{-1, {}, {}, {}};
    QThread *thread = QThread::create([&] {
        const emu::Clock::time_point started = emu::Clock::now();
        result = run(arguments);
        result.started = started;
    });
    thread->start();
    if (meanwhile)
        meanwhile();
    if (!QTest::qWaitFor([thread] { return thread->isFinished(); }, 20000))
        qFatal("the command line got no answer from the window");
    delete thread;
    return result;
}

void TestProfiles::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("one character") << "a" << true;
    QTest::newRow("space, dot, dash, underscore") << "Drift 2.0-wet_v1" << true;
    QTest::newRow("letters beyond ASCII") << QString::fromUtf8("Été") << true;
    QTest::newRow("64 characters") << QString(64, 'x') << true;
    QTest::newRow("65 characters") << QString(65, 'x') << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leading dot") << ".hidden" << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("colon") << "C:x" << false;
    QTest::newRow("tab") << "GT\t3" << false;
}

// A refused name touches no file and opens no wheel.
void TestProfiles::names()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(profilestore::isValidName(name), valid);
    if (valid)
        return;
    plugKept(Model::Ralka);
    for (const char *command : {"--save-profile", "--apply-profile", "--delete-profile"}) {
        const Result result = run({command, name});
        QCOMPARE(result.status, 2);
        QVERIFY2(result.err.contains("is no profile name"), qPrintable(result.err));
    }
    QVERIFY(!QDir(profilestore::folder()).exists());
    QCOMPARE(sentReports(), QByteArrayList());
}

// Save, list, apply onto a cleared wheel (read back byte for byte), replace
// only with --force, delete. Every model's values go through the same
// backup and restore as the command line's, tested there on each model.
void TestProfiles::lifecycle()
{
    auto wheel = plugKept(Model::Demta);
    QCOMPARE(run({"--save-profile", "GT3"}).out,
             "Saved the settings of the DEMTA as the profile \"GT3\"\n");
    QVERIFY(run({"--profiles"}).out.startsWith("GT3\tDEMTA\t20"));

    clearFlash(wheel);
    const Result applied = run({"--apply-profile", "GT3"});
    QCOMPARE(applied.status, 0);
    QCOMPARE(applied.out, "Restored the settings of the profile \"GT3\" on the DEMTA\n");
    QVERIFY(wheel->stored() == kept());
    QVERIFY(wheel->storedLeds() == pattern());

    const Result again = run({"--save-profile", "GT3"});
    QCOMPARE(again.status, 2);
    QCOMPARE(again.err, "nolkset: the profile \"GT3\" exists; --force replaces it\n");
    QCOMPARE(run({"--save-profile", "GT3", "--force"}).status, 0);
    QCOMPARE(run({"--delete-profile", "GT3"}).status, 0);
    QCOMPARE(run({"--profiles"}).out, QString());

    // A profile that is gone or cannot be decoded is refused before the
    // wheel is even asked.
    emu::clearLog();
    const Result missing = run({"--apply-profile", "GT3"});
    QCOMPARE(missing.status, 3);
    QCOMPARE(missing.err, "nolkset: there is no profile \"GT3\"; nothing was sent\n");
    writeProfile("GT3", R"({"format":"NolkSet wheel settings",)");
    const Result corrupt = run({"--apply-profile", "GT3"});
    QCOMPARE(corrupt.status, 3);
    QVERIFY2(corrupt.err.startsWith(
                 "nolkset: the profile \"GT3\": not a NolkSet settings file: "),
             qPrintable(corrupt.err));
    QCOMPARE(sentReports(), QByteArrayList());
}

// The window serves the command line with its open wheel and shows what a
// profile wrote; its PROFILE row saves and applies the same profiles.
void TestProfiles::window()
{
    auto wheel = plugKept(Model::Ralka);
    MainWindow &window = connectWindow();
    QVERIFY(window.serveCommands(folder.path()));
    child<QPushButton>(window, "pbS4")->click();
    auto *saveButton = child<QPushButton>(window, "pbSaveProfile");

    QCOMPARE(runBeside({"--save-profile", "GT3"}).status, 0);

    writeProfile("Dry", R"({"format":"NolkSet wheel settings","formatVersion":1,"model":"RALKA",)"
                        R"("clutchPaddle":"left","bitePointPercent":70,"encoderPulseWidthMs":60})");
    QCOMPARE(runBeside({"--apply-profile", "Dry"}).status, 0);
    QCOMPARE(wheel->stored().pulseWidth, 60);
    QCOMPARE(child<QSlider>(window, "hsBite")->value(), 70);
    QVERIFY(child<QRadioButton>(window, "rbPadL")->isChecked());
    QCOMPARE(child<QSlider>(window, "hsTrigger")->value(), 60);

    // The row: SAVE under a typed name (asking before replacing), APPLY.
    auto *names = child<QComboBox>(window, "cbProfile");
    names->setEditText("Wet");
    saveButton->click();
    names->setEditText("Wet");
    dialogs::script::queueButton(QMessageBox::Yes);
    saveButton->click();
    clearFlash(wheel);
    names->setEditText("GT3");
    child<QPushButton>(window, "pbApplyProfile")->click();
    QVERIFY(wheel->stored() == kept());
    QCOMPARE(windowfixture::shownBoxes(), QStringList({"Success|Profile saved.",
                                      "Notify|The profile \"Wet\" exists.\nDo you want to replace it?",
                                      "Success|Profile saved.", "Success|Profile applied."}));
    QCOMPARE(names->count(), 3);
}

// Lines the window refuses: each answered with an error, none acted on.
void TestProfiles::malformedRequests_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("reason");
    QTest::newRow("garbage") << QByteArray("\x01garbage{\n", 10) << "not a JSON object";
    QTest::newRow("unknown command") << QByteArray("{\"command\":\"flash\",\"argument\":\"a\"}\n")
                                     << "no such command";
    QTest::newRow("oversized") << QByteArray(65537, 'x') << "the request is longer than 65536 bytes";
    QTest::newRow("half line") << QByteArray("{\"command\":\"apply-profile\",\"argu")
                               << "the request line did not end";
}

void TestProfiles::malformedRequests()
{
    QFETCH(QByteArray, sent);
    QFETCH(QString, reason);
    plugKept(Model::Ralka);
    QVERIFY(connectWindow().serveCommands(folder.path()));
    emu::clearLog();
    QLocalSocket socket;
    socket.connectToServer(folder.filePath("nolkset.socket"));
    QVERIFY(socket.waitForConnected(5000));
    socket.write(sent);
    QTRY_VERIFY_WITH_TIMEOUT(socket.canReadLine(), 10000);
    const QByteArray answer = socket.readLine();
    QVERIFY2(answer.startsWith("{\"err\":\"nolkset: the window refused the request: " +
                               reason.toUtf8()),
             answer.constData());
    QVERIFY(answer.endsWith(",\"out\":\"\",\"status\":2}\n"));
    QCOMPARE(sentReports(), QByteArrayList());
}

// A command line started while the window stores the PADDLES page waits for
// the save: none of its queries falls between the save's transfers, and it
// shows what the save stored.
void TestProfiles::waitsForSave()
{
    using namespace std::chrono_literals;
    plugKept(Model::Ralka);
    MainWindow window;
    QVERIFY(window.serveCommands(folder.path()));
    QTRY_VERIFY_WITH_TIMEOUT(windowlook::isConnected(window), 10000);
    child<QSlider>(window, "hsBite")->setValue(70);
    emu::clearLog();
    const Result shown = runBeside({"--show"}, [&] {
        // 200 ms a transfer: the save's paddle write and clutch query take
        // 600 ms, long after the command line has sent its request.
        for (const emu::Transfer kind : {emu::Transfer::SendFeature, emu::Transfer::GetFeature})
            emu::setLatency(kind, 200ms);
        child<QPushButton>(window, "pbSaveP")->click();
        for (const emu::Transfer kind : {emu::Transfer::SendFeature, emu::Transfer::GetFeature})
            emu::setLatency(kind, 0us);
    });
    QCOMPARE(shown.status, 0);
    QVERIFY2(shown.out.contains("Clutch paddle:        right paddle, bite point 70%\n"),
             qPrintable(shown.out));

    // The save's clutch query brings the log's first answer.
    const std::vector<emu::LogEntry> log = emu::log();
    const auto saveEnd = std::find_if(log.begin(), log.end(), [](const emu::LogEntry &entry) {
        return entry.kind == emu::Transfer::GetFeature;
    });
    QVERIFY(saveEnd != log.end());
    QVERIFY2(shown.started < saveEnd->time, "the command line started after the save");
    QByteArrayList saved;
    for (auto entry = log.begin(); entry <= saveEnd; ++entry) {
        if (entry->kind == emu::Transfer::SendFeature)
            saved << QByteArray(reinterpret_cast<const char *>(entry->bytes.data()), 4).toHex();
    }
    QCOMPARE(saved, QByteArrayList({"020aabef", "020b0c08"}));
}

QTEST_MAIN(TestProfiles)
#include "tst_profiles.moc"
