#include "app/cli/commandline.h"
#include "app/cli/progressline.h"
#include "device/hidlink.h"
#include "emulator/wheelemulator.h"
#include "settings/calibrationstore.h"
#include "support/firmwareimage.h"
#include "support/testenv.h"
#include "support/transfers.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

namespace {

using emu::Model;

struct Result
{
    int status;
    QString out;
    QString err;
};

// The settings the tests give a wheel before backing it up: none of them the
// wheel's defaults, the axis ranges as this computer keeps them.
emu::Settings kept()
{
    emu::Settings settings;
    settings.paddleMode = 131;
    settings.axisMaxR = 4000;
    settings.axisMaxL = 3900;
    settings.axisMinR = 200;
    settings.axisMinL = 300;
    settings.pulseWidth = 180;
    settings.clutch = 255;
    return settings;
}

emu::LedImage pattern()
{
    emu::LedImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 37);
    return image;
}

std::shared_ptr<emu::Wheel> plugKept(Model model, std::uint16_t productId = 0x2007)
{
    auto wheel = emu::plug(model, productId);
    wheel->setStored(kept());
    wheel->setStoredLeds(pattern());
    calibrationstore::save(productId, calibrationstore::AxisL, {300, 3900});
    calibrationstore::save(productId, calibrationstore::AxisR, {200, 4000});
    return wheel;
}

// What the program sent that is no query: the writes a refusal must not make.
QByteArrayList writes()
{
    QByteArrayList found;
    for (const QByteArray &sent : sentReports()) {
        if (!sent.startsWith("02 0b"))
            found << sent;
    }
    return found;
}

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
    void refusedFiles_data();
    void refusedFiles();
    void failedRead_data();
    void failedRead();
    void partialDocument_data();
    void partialDocument();
    void flash_data();
    void flash();
    void progress_data();
    void progress();
    void processRuns();

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
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = cli::run(QStringList{QStringLiteral("nolkset")} + arguments,
                                {outStream, errStream, terminal}, folder.path());
    return {status, out, err};
}

// -1: not a command line, the window starts and Qt takes the arguments.
// Wheels: 0, 1 DEMTA that cannot be opened, or that DEMTA openable and a RALKA.
void TestCommandLine::arguments_data()
{
    QTest::addColumn<int>("wheels");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    QTest::newRow("qt's own") << 0 << QStringList{"-platform", "offscreen", "-reverse"} << -1
                              << QString();
    QTest::newRow("help") << 0 << QStringList{"--help"} << 0 << "--restore <file>";
    QTest::newRow("two commands") << 0 << QStringList{"--list", "--show"} << 2
                                  << "nolkset: give exactly one command; see --help\n";
    QTest::newRow("no file") << 0 << QStringList{"--backup"} << 2
                             << "Missing value after '--backup'";
    QTest::newRow("stray word") << 0 << QStringList{"--list", "now"} << 2
                                << "unexpected argument \"now\"";
    QTest::newRow("no wheel") << 0 << QStringList{"--list"} << 1
                              << "nolkset: no wheel is connected\n";
    QTest::newRow("one that cannot be opened")
        << 1 << QStringList{"--list"} << 1
        << "nolkset: the wheel 2008 at emulator:NOLKn cannot be opened\n";
    QTest::newRow("two wheels") << 2 << QStringList{"--list"} << 0
                                << "2008\tDEMTA\tNov 21 2023,16:05\temulator:NOLKn\n"
                                   "2007\tRALKA\tMar  5 2024,10:30\temulator:NOLKn\n";
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

// On every model: list, show, back up, clear the flash, restore, and the
// wheel keeps every stored value as before, byte for byte.
void TestCommandLine::commandsOnEachModel_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QString>("listed");
    QTest::newRow("RALKA") << Model::Ralka << "2007\tRALKA\tMar  5 2024,10:30\temulator:NOLKn\n";
    QTest::newRow("DEMTA") << Model::Demta << "2007\tDEMTA\tNov 21 2023,16:05\temulator:NOLKn\n";
    QTest::newRow("SOVIN") << Model::Sovin << "2007\tSOVIN\tJan 12 2024,09:15\temulator:NOLKn\n";
}

void TestCommandLine::commandsOnEachModel()
{
    QFETCH(Model, model);
    QFETCH(QString, listed);
    auto wheel = plugKept(model);
    const QString name = QString::fromStdString(emu::modelName(model));
    QCOMPARE(samePaths(run({"--list"}).out), listed);

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

// A refused file sends nothing; the files are refused before the wheel is
// opened, the other model after its queries.
void TestCommandLine::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("reason");
    const QByteArray full = settingsFile(R"("encoderPulseWidthMs":60,"clutchEnabled":true)");
    QTest::newRow("not json") << QByteArray("pulse=60") << "not a NolkSet settings file: ";
    QTest::newRow("truncated") << full.left(full.size() - 10) << "not a NolkSet settings file: ";
    QTest::newRow("version 2") << QByteArray(full).replace("\"formatVersion\":1",
                                                           "\"formatVersion\":2")
                               << "unknown format version 2";
    QTest::newRow("another model") << settingsFile(R"("encoderPulseWidthMs":60)", "DEMTA")
                                   << "was made on a DEMTA, the connected wheel is a RALKA";
    QTest::newRow("out of range") << settingsFile(
                                         R"("encoderPulseWidthMs":60,"bitePointPercent":-1)")
                                  << "bitePointPercent must be a whole number from 0 to 100";
    QTest::newRow("missing file") << QByteArray() << "cannot read";
}

void TestCommandLine::refusedFiles()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, reason);
    auto wheel = plugKept(Model::Ralka);
    const QString file = path(QStringLiteral("refused.json"));
    QFile::remove(file);
    if (!contents.isEmpty())
        QVERIFY(firmwareimage::write(file, contents));
    const Result result = run({"--restore", file});
    QCOMPARE(result.status, 3);
    QVERIFY2(result.err.contains(reason) && result.err.endsWith(QLatin1String("\n")),
             qPrintable(result.err));
    QCOMPARE(writes(), QByteArrayList());
    QCOMPARE(sentReports().isEmpty(), QTest::currentDataTag() != QLatin1String("another model"));
    QVERIFY(wheel->stored() == kept());
}

// A read the wheel does not answer ends the command: nothing is guessed, no
// backup is written. A restore reads the wheel's nine answers first.
void TestCommandLine::failedRead_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answers");
    QTest::addColumn<QString>("reason");
    QTest::newRow("show") << "--show" << 0 << "the query for the LED colours\n";
    QTest::newRow("backup") << "--backup" << 8 << "the query for the firmware version; nothing";
    QTest::newRow("restore") << "--restore" << 4 << "the paddle mode; nothing was sent\n";
    QTest::newRow("restore's read back") << "--restore" << 9 << "LED colours when read back\n";
}

void TestCommandLine::failedRead()
{
    QFETCH(QString, command);
    QFETCH(int, answers);
    QFETCH(QString, reason);
    plugKept(Model::Ralka);
    const QString file = path(QStringLiteral("read.json"));
    QFile::remove(file);
    if (command == QLatin1String("--restore"))
        QVERIFY(firmwareimage::write(file, settingsFile(R"("encoderPulseWidthMs":60)")));
    emu::failFrom(emu::Transfer::GetFeature, answers);
    const Result result =
        run(command == QLatin1String("--show") ? QStringList{command} : QStringList{command, file});
    QCOMPARE(result.status, 4);
    QVERIFY2(result.err.contains(reason), qPrintable(result.err));
    QCOMPARE(result.out, QString());
    QCOMPARE(QFile::exists(file), command == QLatin1String("--restore"));
}

// Each row: what the document names, the writes that follow, then the read
// back. Only what a document names reaches the wheel; a wheel that answers
// its old clutch state after the write, or does not take the LED blocks,
// fails the restore.
void TestCommandLine::partialDocument_data()
{
    QTest::addColumn<QByteArray>("members");
    QTest::addColumn<QByteArray>("clutchAnswer");
    QTest::addColumn<bool>("failWrites");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArrayList>("sent");
    QTest::newRow("pulse width") << QByteArray(R"("encoderPulseWidthMs":60)") << QByteArray()
                                 << false << 0 << QByteArrayList{report("020c043c000000ef")};
    QTest::newRow("side keeps bite point and this computer's axes")
        << QByteArray(R"("clutchPaddle":"left")") << QByteArray() << false << 0
        << QByteArrayList{report("020a1eef00a00f3c0fc8002c01")};
    QTest::newRow("one axis") << QByteArray(
                                     R"("axisCalibration":{"right":{"minimum":1,"maximum":2}})")
                              << QByteArray() << false << 0
                              << QByteArrayList{report("020a83ef0002003c0f01002c01")};
    QTest::newRow("clutch as the wheel has it")
        << QByteArray(R"("clutchEnabled":false)") << QByteArray() << false << 0 << QByteArrayList();
    QTest::newRow("clutch stays off, rest of its answer kept")
        << QByteArray(R"("clutchEnabled":true)") << QByteArray("020c08ff00000000aabb") << false << 5
        << QByteArrayList{report("020c0801000000efaabb")};
    const QByteArray failed = " failed";
    QTest::newRow("LED blocks not taken, not stored")
        << QByteArray(R"("ledImage":")" + QByteArray(144, '0') + '"') << QByteArray() << true << 4
        << QByteArrayList{report("0300") + failed, report("0301") + failed, report("0303") + failed,
                          report("0302") + failed};
}

void TestCommandLine::partialDocument()
{
    QFETCH(QByteArray, members);
    QFETCH(QByteArray, clutchAnswer);
    QFETCH(bool, failWrites);
    QFETCH(int, status);
    QFETCH(QByteArrayList, sent);
    auto wheel = plugKept(Model::Ralka);
    if (!clutchAnswer.isEmpty()) {
        emu::Report answer{};
        const QByteArray bytes = QByteArray::fromHex(clutchAnswer);
        std::copy(bytes.begin(), bytes.end(), answer.begin());
        wheel->setRawAnswer(0x0C, 0x08, answer);
    }
    if (failWrites)
        emu::failFrom(emu::Transfer::Write, 0);
    const QString file = path(QStringLiteral("partial.json"));
    QVERIFY(firmwareimage::write(file, settingsFile(members)));
    const Result result = run({"--restore", file});
    QCOMPARE(result.status, status);
    QCOMPARE(writes(), sent);
    QVERIFY(wheel->storedLeds() == pattern());
}

void TestCommandLine::flash_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("chunksTaken"); // -1: all
    QTest::addColumn<bool>("unplug");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("success") << "image.bin" << -1 << false << 0
                             << "[####################] 100%  4000 of 4000 bytes  writing\n";
    QTest::newRow("failed chunk")
        << "image.bin" << 40 << false << 4
        << "stopped taking the image after 640 of 4000 bytes; no image end";
    QTest::newRow("unplugged") << "image.bin" << -1 << true << 4
                               << "stopped taking the image after";
    QTest::newRow("upper-case name")
        << "image.BIN" << -1 << false << 3 << "is not a valid firmware";
}

void TestCommandLine::flash()
{
    QFETCH(QString, name);
    QFETCH(int, chunksTaken);
    QFETCH(bool, unplug);
    QFETCH(int, status);
    QFETCH(QString, message);
    auto wheel = emu::plug(Model::Ralka);
    // Back from writing within the upload's (shortened) four seconds.
    emu::setFirmwareTiming({std::chrono::milliseconds(40), std::chrono::milliseconds(40)});
    const QString file = path(name);
    QVERIFY(firmwareimage::write(file, firmwareimage::make(4000, "Jun  1 2026,08:00")));
    if (chunksTaken >= 0)
        emu::failFrom(emu::Transfer::SendFeature, chunksTaken);
    std::atomic<bool> done{false};
    std::thread unplugger;
    if (unplug) {
        emu::setLatency(emu::Transfer::SendFeature, std::chrono::microseconds(500));
        unplugger = std::thread([&] {
            while (!done && firmwareimage::imageReports().size() < 50)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            wheel->unplug();
        });
    }
    const Result result = run({"--flash", file}, unplug);
    done = true;
    if (unplugger.joinable())
        unplugger.join();
    QCOMPARE(result.status, status);
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    const auto reports = firmwareimage::imageReports();
    QCOMPARE(!reports.empty() && firmwareimage::isEnd(reports.back()), status == 0);
    QCOMPARE(wheel->imagesWritten(), status == 0 ? 1 : 0);
    if (status == 0)
        QCOMPARE(result.out, QStringLiteral("Firmware updated successfully.\n"));
    if (unplug)
        QVERIFY2(result.err.startsWith(QLatin1String("\r[")) &&
                     result.err.contains(QLatin1String(" kB/s\nnolkset: firmware update failed")),
                 qPrintable(result.err));
}

void TestCommandLine::progress_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<qint64>("elapsedNs");
    QTest::addColumn<QString>("line");
    QTest::newRow("start") << 0 << qint64(16) << qint64(0)
                           << "[--------------------]   0%  16 of 229376 bytes  - kB/s";
    QTest::newRow("half") << 48 << qint64(114688) << qint64(2000000000)
                          << "[#########-----------]  48%  114688 of 229376 bytes  57.3 kB/s";
}

void TestCommandLine::progress()
{
    QFETCH(int, percent);
    QFETCH(qint64, bytes);
    QFETCH(qint64, elapsedNs);
    QFETCH(QString, line);
    QCOMPARE(progressline::format(percent, bytes, 229376, elapsedNs), line);
}

// The real program: a list of its emulated wheel, and a flash refused while
// the window of another copy holds it.
void TestCommandLine::processRuns()
{
    QTemporaryDir root;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.path());
    env.insert(QStringLiteral("HOME"), root.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const auto command = [&](const QStringList &arguments) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(NOLKSET_EMULATED_PATH), arguments);
        process.waitForFinished(10000);
        return Result{process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                      QString::fromLocal8Bit(process.readAllStandardError())};
    };
    QCOMPARE(command({"--list"}).out,
             QStringLiteral("2007\tRALKA\tMar  5 2024,10:30\temulator:NOLK1\n"));

    QProcess window;
    window.setProcessEnvironment(env);
    window.start(QStringLiteral(NOLKSET_EMULATED_PATH), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(root.filePath(QStringLiteral("nolkset.lock"))), 10000);
    const QString image = root.filePath(QStringLiteral("image.bin"));
    QVERIFY(firmwareimage::write(image, firmwareimage::make(64)));
    const Result refused = command({"--flash", image});
    window.kill();
    window.waitForFinished();
    QCOMPARE(refused.status, 6);
    QVERIFY(refused.err.startsWith(QLatin1String("nolkset: another copy of NolkSet")));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
