#include "app/cli/progressline.h"
#include "device/hidlink.h"
#include "emulator/wheelemulator.h"
#include "firmware/updatelog.h"
#include "support/firmwareimage.h"
#include "support/clirun.h"
#include "support/keptsettings.h"
#include "support/testenv.h"
#include "support/transfers.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

using emu::Model;

using namespace keptsettings;

// The emulator numbers its wheels' paths on from every earlier test.
QString samePaths(QString text)
{
    return text.replace(QRegularExpression(QStringLiteral("emulator:NOLK\\d+")),
                        QStringLiteral("emulator:NOLKn"));
}

QByteArray settingsFile(const QByteArray &members, const QByteArray &model = "RALKA")
{
    return R"({"format":"NolkSet wheel settings","formatVersion":1,"model":")" + model + "\"" +
           (members.isEmpty() ? QByteArray() : "," + members) + "}";
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void arguments_data();
    void arguments();
    void commandsOnEachModel_data();
    void commandsOnEachModel();
    void wheelCommands_data();
    void wheelCommands();
    void flash_data();
    void flash();
    void progress();
    void history();

private:
    Result run(const QStringList &arguments, bool terminal = false);
    QString path(const QString &name) const { return folder.filePath(name); }

    QTemporaryDir folder;
};

void TestCommandLine::initTestCase()
{
    testenv::isolate();
    QVERIFY(folder.isValid());
}

void TestCommandLine::init()
{
    emu::reset();
    testenv::clearSettings();
}

Result TestCommandLine::run(const QStringList &arguments, bool terminal)
{
    return runCli(arguments, folder.path(), terminal);
}

// -1: not a command line, the window starts and Qt takes the arguments.
// Wheels: 0, 1 DEMTA that cannot be opened, or that DEMTA openable and a RALKA.
void TestCommandLine::arguments_data()
{
    QTest::addColumn<int>("wheels");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    const auto row = [](const char *tag, int wheels, const QStringList &arguments, int status,
                        const char *output) {
        QTest::newRow(tag) << wheels << arguments << status << QString(output);
    };
    row("qt's own", 0, {"-platform", "offscreen", "-reverse", "--style=fusion"}, -1, "");
    row("mistyped", 0, {"--shwo"}, 2,
        "nolkset: Unknown option 'shwo'.\nUsage: nolkset [options]; see --help\n");
    row("mistyped short", 0, {"-x"}, 2, "Unknown option 'x'.");
    row("force alone", 0, {"--show", "--force"}, 2, "--force goes with --save-profile only");
    row("help", 0, {"--help"}, 0, "--restore <file>");
    row("two commands", 0, {"--list", "--show"}, 2,
        "nolkset: give exactly one command; see --help\n");
    row("no file", 0, {"--backup"}, 2, "Missing value after '--backup'");
    row("stray word", 0, {"--list", "now"}, 2, "unexpected argument \"now\"");
    row("no wheel", 0, {"--list"}, 1, "nolkset: no wheel is connected\n");
    row("no wheel to show", 0, {"--show"}, 1, "nolkset: no wheel is connected\n");
    row("no wheel to back up, = form", 0, {"--backup=ralka.json"}, 1,
        "nolkset: no wheel is connected\n");
    row("one that cannot be opened", 1, {"--list"}, 1,
        "nolkset: the wheel 2008 at emulator:NOLKn cannot be opened\n");
    row("two wheels", 2, {"--list"}, 0,
        "2008\tDEMTA\tNov 21 2023,16:05\temulator:NOLKn\n"
        "2007\tRALKA\tMar  5 2024,10:30\temulator:NOLKn\n");
}

void TestCommandLine::arguments()
{
    QFETCH(int, wheels);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QCOMPARE(cli::isCommandLine(QStringList{"nolkset"} + arguments), status >= 0);
    if (status < 0)
        return;
    if (wheels >= 1)
        emu::plug(Model::Demta, 0x2008)->setOpenable(wheels == 2);
    if (wheels == 2)
        emu::plug(Model::Ralka, 0x2007);
    const Result result = run(arguments);
    QCOMPARE(result.status, status);
    QVERIFY2(samePaths(status == 0 ? result.out : result.err).contains(output),
             qPrintable(result.out + result.err));
    QCOMPARE(status == 0 ? result.err : result.out, QString());
    QCOMPARE(writes(), QByteArrayList());
}

// On every model: show, back up, clear the flash, restore, and the wheel
// keeps every stored value as before, byte for byte.
void TestCommandLine::commandsOnEachModel_data()
{
    QTest::addColumn<Model>("model");
    QTest::newRow("RALKA") << Model::Ralka;
    QTest::newRow("DEMTA") << Model::Demta;
    QTest::newRow("SOVIN") << Model::Sovin;
}

void TestCommandLine::commandsOnEachModel()
{
    QFETCH(Model, model);
    auto wheel = plugKept(model);
    const QString name = QString::fromStdString(emu::modelName(model));

    const Result shown = run({"-s"});
    QCOMPARE(shown.status, 0);
    for (const char *line :
         {"Clutch paddle:        right paddle, bite point 30%\n",
          "Axis calibration:     left 300 to 3900, right 200 to 4000", "  pbTR1  #950400\n"})
        QVERIFY2(shown.out.contains(QLatin1String(line)), qPrintable(shown.out));
    QVERIFY(shown.out.startsWith(QStringLiteral("Model:                ") + name));

    const QString backup = path(name + QStringLiteral(".json"));
    QCOMPARE(run({"--backup", backup}).status, 0);
    QVERIFY(writes().isEmpty());
    HidLink::init();
    QVERIFY(HidLink::instance().open(emu::VendorId, 0x2007));
    QVERIFY(HidLink::instance().sendFeature(protocol::clearFlash()) > 0);
    HidLink::instance().close();
    QVERIFY(wheel->stored() != kept());

    const Result restored = run({"--restore", backup});
    QCOMPARE(restored.status, 0);
    QCOMPARE(restored.err, QString());
    QVERIFY(wheel->stored() == kept());
    QVERIFY(wheel->storedLeds() == pattern());
    // Nothing differs any more: a second restore writes only the paddle
    // report, whose axis ranges the wheel does not tell.
    emu::clearLog();
    QCOMPARE(run({"--restore", backup}).status, 0);
    QCOMPARE(writes(), QByteArrayList{report("020a83ef00a00f3c0fc8002c01")});
    QCOMPARE(emu::misuseCount(), 0);
}

// Show, back up and restore against the wheel's answers. A restore stores
// only what the document names, then reads the wheel back. A refused file
// sends nothing: a bad one before the wheel is opened, one of another model
// after the wheel's queries. An unanswered read ends any command: nothing is
// guessed, no backup written. Failures: "get N" fails the gets from the
// N+1th on (a restore reads nine answers first), "write" every output
// report, "answer ITEM PARAMETER HEX" answers that query so from then on,
// "name TEXT" names the wheel. Without a wheel, see arguments().
void TestCommandLine::wheelCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("contents"); // empty: no file
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArrayList>("sent");
    const auto row = [](const char *tag, const char *command, const QByteArray &contents,
                        const char *failure, int status, const char *message,
                        const QByteArrayList &sent = {}) {
        QTest::newRow(tag) << QString(command) << contents << QString(failure) << status
                           << QString(message) << sent;
    };
    const char *restore = "--restore";
    const QByteArray pulse = settingsFile(R"("encoderPulseWidthMs":60)");
    const QByteArray pulseSent = report("020c043c000000ef");
    row("pulse width", restore, pulse, "", 0, "", {pulseSent});
    row("side keeps bite point and this computer's axes", restore,
        settingsFile(R"("clutchPaddle":"left")"), "", 0, "",
        {report("020a1eef00a00f3c0fc8002c01")});
    row("one axis", restore,
        settingsFile(R"("axisCalibration":{"right":{"minimum":1,"maximum":2}})"), "", 0, "",
        {report("020a83ef0002003c0f01002c01")});
    row("clutch as the wheel has it", restore, settingsFile(R"("clutchEnabled":false)"), "", 0, "");
    row("clutch on answered as -1", restore, settingsFile(R"("clutchEnabled":true)"),
        "answer 12 8 020c08ffffffff", 0, "");
    row("bite point only, side kept", restore, settingsFile(R"("bitePointPercent":50)"), "", 0, "",
        {report("020a97ef00a00f3c0fc8002c01")});
    row("clutch stays off, rest of its answer kept", restore,
        settingsFile(R"("clutchEnabled":true)"), "answer 12 8 020c08ff00000000aabb", 5,
        "read back other values for clutchEnabled\n", {report("020c0801000000efaabb")});
    const QByteArray failed = " failed";
    row("LED blocks not taken, not stored", restore,
        settingsFile(R"("ledImage":")" + QByteArray(144, '0') + '"'), "write", 4,
        "the LED colours was not stored",
        {report("0300") + failed, report("0301") + failed, report("0303") + failed,
         report("0302") + failed});
    row("not json", restore, "pulse=60", "", 3, "not a NolkSet settings file: ");
    row("another model", restore, settingsFile(R"("encoderPulseWidthMs":60)", "DEMTA"), "", 3,
        "was made on a DEMTA, the connected wheel is a RALKA");
    row("missing file", restore, {}, "", 3, "cannot read");
    row("paddle mode unanswered", restore, pulse, "get 4", 4,
        "the paddle mode; nothing was sent\n");
    row("read back unanswered", restore, pulse, "get 9", 4, "LED colours when read back\n",
        {pulseSent});
    row("show unanswered", "--show", {}, "get 0", 4, "the query for the LED colours\n");
    row("show a clutch that is on", "--show", {}, "answer 12 8 020c0801", 0,
        "\nClutch:               on\n");
    row("show the model in a longer name", "--show", {}, "name NOLK RALKA WHEEL", 0,
        "Model:                RALKA\n");
    row("backup of a name without its echo", "--backup", {}, "answer 13 0 020e52414c4b41", 4,
        "the query for the wheel's name; nothing was saved\n");
    row("backup unanswered", "--backup", {}, "get 8", 4,
        "the query for the firmware version; nothing was saved\n");
}

void TestCommandLine::wheelCommands()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, contents);
    QFETCH(QString, failure);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFETCH(QByteArrayList, sent);
    auto wheel = plugKept(Model::Ralka);
    const QStringList fault = failure.split(' ');
    if (fault[0] == QLatin1String("get"))
        emu::failFrom(emu::Transfer::GetFeature, fault[1].toInt());
    if (fault[0] == QLatin1String("write"))
        emu::failFrom(emu::Transfer::Write, 0);
    if (fault[0] == QLatin1String("answer")) {
        wheel->setRawAnswer(static_cast<std::uint8_t>(fault[1].toInt()),
                            static_cast<std::uint8_t>(fault[2].toInt()),
                            answerFrom(fault[3].toLatin1()));
    }
    if (fault[0] == QLatin1String("name"))
        wheel->setName(failure.mid(5).toStdString());
    const QString file = path(QStringLiteral("settings.json"));
    QFile::remove(file);
    if (!contents.isEmpty())
        QVERIFY(firmwareimage::write(file, contents));
    const Result result =
        run(command == QLatin1String("--show") ? QStringList{command} : QStringList{command, file});
    QCOMPARE(result.status, status);
    QVERIFY2((status == 0 ? result.out : result.err).contains(message),
             qPrintable(result.out + result.err));
    QCOMPARE(result.out.isEmpty(), status != 0);
    QCOMPARE(QFile::exists(file), !contents.isEmpty());
    QCOMPARE(writes(), sent);
    QCOMPARE(sentReports().isEmpty(),
             status == 3 && QTest::currentDataTag() != QLatin1String("another model"));
    QVERIFY(wheel->storedLeds() == pattern());
    if (sent.isEmpty())
        QVERIFY(wheel->stored() == kept());
}

// A failed chunk ends the bar's line before the message; nothing is written.
void TestCommandLine::flash_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("chunksTaken"); // -1: all
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("success") << "image.bin" << -1 << 0
                             << "[####################] 100%  4000 of 4000 bytes  writing\n";
    QTest::newRow("failed chunk, on a terminal")
        << "image.bin" << 40 << 4
        << " kB/s\nnolkset: firmware update failed: the wheel stopped taking the image after "
           "640 of 4000 bytes; no image end";
    QTest::newRow("upper-case name") << "image.BIN" << -1 << 3 << "is not a valid firmware";
}

void TestCommandLine::flash()
{
    QFETCH(QString, name);
    QFETCH(int, chunksTaken);
    QFETCH(int, status);
    QFETCH(QString, message);
    auto wheel = emu::plug(Model::Ralka);
    // Back from writing within the upload's (shortened) four seconds.
    emu::setFirmwareTiming({std::chrono::milliseconds(40), std::chrono::milliseconds(40)});
    const QString file = path(name);
    QVERIFY(firmwareimage::write(file, firmwareimage::make(4000, "Jun  1 2026,08:00")));
    if (chunksTaken >= 0)
        emu::failFrom(emu::Transfer::SendFeature, chunksTaken);
    const bool terminal = chunksTaken >= 0;
    const Result result = run({"--flash", file}, terminal);
    QCOMPARE(result.status, status);
    QVERIFY2(result.err.contains(message) && result.err.startsWith(terminal ? "\r[" : ""),
             qPrintable(result.err));
    const auto reports = firmwareimage::imageReports();
    QCOMPARE(!reports.empty() && firmwareimage::isEnd(reports.back()), status == 0);
    QCOMPARE(wheel->imagesWritten(), status == 0 ? 1 : 0);
    QCOMPARE(result.out, status == 0 ? QStringLiteral("Firmware updated successfully.\n") : "");
}

void TestCommandLine::progress()
{
    QCOMPARE(progressline::format(0, 16, 229376, 0),
             "[--------------------]   0%  16 of 229376 bytes  - kB/s");
    QCOMPARE(progressline::format(48, 114688, 229376, 2000000000),
             "[#########-----------]  48%  114688 of 229376 bytes  57.3 kB/s");
}

// The log newest first, whatever order its lines were written in; a line
// that is no record is skipped and told.
void TestCommandLine::history()
{
    const Result empty = run({"--history"});
    QCOMPARE(empty.status, 0);
    QVERIFY2(empty.out.startsWith("No firmware updates recorded yet"), qPrintable(empty.out));

    const QString log = updatelog::defaultPath();
    const auto add = [&](int hour, updatelog::Result result, const QString &after) {
        updatelog::Entry entry{QDateTime(QDate(2026, 6, 1), QTime(hour, 0), Qt::UTC),
                               "RALKA", 0x2007, "/home/racer/fw.bin", 4096,
                               "0123456789abcdef0123456789abcdef", "Mar  5 2024,10:30", after,
                               result};
        return updatelog::append(log, entry);
    };
    QVERIFY(add(8, updatelog::Result::Refused, QString()));
    QVERIFY(add(12, updatelog::Result::Ok, "Jun  1 2026,12:00"));
    QFile file(log);
    QVERIFY(file.open(QIODevice::Append) && file.write("not a record") > 0);
    file.close();
    QVERIFY(add(10, updatelog::Result::Failed, QString()));

    const Result filled = run({"--history"});
    QCOMPARE(filled.status, 0);
    QVERIFY2(filled.err.contains("skipped 1 line(s)"), qPrintable(filled.err));
    QStringList lines = filled.out.split('\n', Qt::SkipEmptyParts);
    for (QString &line : lines)
        line = line.simplified();
    QCOMPARE(lines,
             (QStringList{"TIME (UTC) MODEL PRODUCT RESULT BEFORE AFTER BYTES MD5 SOURCE",
                          "2026-06-01 12:00:00 RALKA 2007 ok Mar 5 2024,10:30 Jun 1 2026,12:00 "
                          "4096 0123456789abcdef0123456789abcdef /home/racer/fw.bin",
                          "2026-06-01 10:00:00 RALKA 2007 failed Mar 5 2024,10:30 - 4096 "
                          "0123456789abcdef0123456789abcdef /home/racer/fw.bin",
                          "2026-06-01 08:00:00 RALKA 2007 refused Mar 5 2024,10:30 - 4096 "
                          "0123456789abcdef0123456789abcdef /home/racer/fw.bin"}));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
