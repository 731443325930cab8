#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "support/findwidget.h"
#include "support/firmwareimage.h"
#include "support/testenv.h"
#include "support/windowlook.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using namespace std::chrono_literals;
using emu::Model;

constexpr std::uint16_t FirstId = 0x2007;
constexpr std::uint16_t SecondId = 0x2008;
const QString NotValid = QStringLiteral("Not a valid firmware.");
const QString Failed = QStringLiteral("Firmware update failed.");
const QString Updated = QStringLiteral("Firmware updated successfully.");
const QString PleaseWait = QStringLiteral("Please wait until the firmware update has finished.");

// What the DEVICE page shows each time the bar appears or moves: the value,
// the phase, and whether the two update buttons take a press.
class PageRecorder : public QObject
{
public:
    explicit PageRecorder(QWidget &window)
        : window(window)
    {
        bar = child<QProgressBar>(window, "pgUpgrade");
        bar->installEventFilter(this);
        connect(bar, &QProgressBar::valueChanged, this, [this] {
            if (!bar->isHidden())
                record();
        });
    }
    QStringList states;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ShowToParent)
            record();
        return false;
    }

private:
    void record()
    {
        states.append(QStringLiteral("%1 %2 %3 %4")
                          .arg(bar->value())
                          .arg(child<QLabel>(window, "lbUpgrade")->text())
                          .arg(child<QPushButton>(window, "pbUpgrade")->isEnabled())
                          .arg(child<QPushButton>(window, "pbAutoUpgrade")->isEnabled()));
    }
    QWidget &window;
    QProgressBar *bar;
};

enum class Interruption { FailedSend, Unplug, SecondWheel };

bool isBox(const dialogs::ShownBox &box, QMessageBox::Icon icon, const QString &title,
           const QString &text)
{
    return box.icon == icon && box.title == title && box.text == text;
}

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

int successfulEnds()
{
    int ends = 0;
    for (const emu::LogEntry &entry : firmwareimage::imageReports())
        ends += firmwareimage::isEnd(entry) && entry.result >= 0;
    return ends;
}

} // namespace

Q_DECLARE_METATYPE(Interruption)

class TestManualUpdate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showPath_data();
    void showPath();
    void pathChecks_data();
    void pathChecks();
    void updateRunsThroughItsStates();
    void failedUpdates_data();
    void failedUpdates();
    void closeWaitsForUpload();
    void clearFlash_data();
    void clearFlash();

private:
    QString file(const QString &name, int size);

    // Inside the system's temporary folder, like a user's download folder
    // there: the program must leave these files alone.
    QTemporaryDir folder;
};

void TestManualUpdate::initTestCase()
{
    testenv::isolate();
    QVERIFY(folder.isValid());
    QVERIFY(folder.path().startsWith(QDir::tempPath()));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder.bin")));
}

void TestManualUpdate::init()
{
    emu::setFirmwareTiming({30ms, 30ms});
}

void TestManualUpdate::cleanup()
{
    QCOMPARE(emu::misuseCount(), 0);
    emu::reset();
    dialogs::script::reset();
    testenv::clearSettings();
}

QString TestManualUpdate::file(const QString &name, int size)
{
    const QString path = folder.filePath(name);
    if (!firmwareimage::write(path, firmwareimage::make(size)))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestManualUpdate::showPath_data()
{
    QTest::addColumn<QString>("picked");
    QTest::addColumn<QString>("shown");
    QTest::newRow("picked") << "/home/racer/ralka.bin"
                            << "/home/racer/ralka.bin";
    QTest::newRow("cancelled") << ""
                               << "/old/path.bin";
}

void TestManualUpdate::showPath()
{
    QFETCH(QString, picked);
    QFETCH(QString, shown);
    MainWindow window;
    child<QLineEdit>(window, "lePath")->setText(QStringLiteral("/old/path.bin"));
    dialogs::script::queuePath(picked);
    child<QPushButton>(window, "pbPath")->click();
    QCOMPARE(dialogs::script::fileDialogs(), 1);
    QCOMPARE(child<QLineEdit>(window, "lePath")->text(), shown);
}

void TestManualUpdate::pathChecks_data()
{
    QTest::addColumn<QString>("text");

    file(QStringLiteral("image.hex"), 64);
    file(QStringLiteral("image.BIN"), 64);
    file(QStringLiteral("empty.bin"), 0);
    file(QStringLiteral("large.bin"), 229377);
    const QString in = folder.path() + QLatin1Char('/');
    QTest::newRow("empty field") << QString();
    QTest::newRow(".hex") << in + "image.hex";
    QTest::newRow("upper-case .BIN") << in + "image.BIN";
    QTest::newRow("no such file") << in + "missing.bin";
    QTest::newRow("a folder") << in + "folder.bin";
    QTest::newRow("empty file") << in + "empty.bin";
    QTest::newRow("229,377 bytes") << in + "large.bin";
    QTest::newRow("HTTPS is a file name") << "HTTPS://update.example/ralka.bin";
}

void TestManualUpdate::pathChecks()
{
    QFETCH(QString, text);
    emu::plug(Model::Ralka);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    upload(window, text);
    QTest::qWait(50);

    const QList<dialogs::ShownBox> boxes = dialogs::script::boxes();
    QCOMPARE(boxes.size(), 1);
    QVERIFY(isBox(boxes[0], QMessageBox::Critical, "Error", NotValid));
    QVERIFY(firmwareimage::imageReports().empty());
    QVERIFY(idle(window));
    QCOMPARE(child<QLineEdit>(window, "lePath")->text(), text);
}

void TestManualUpdate::updateRunsThroughItsStates()
{
    auto wheel = emu::plug(Model::Ralka);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    const QByteArray image = firmwareimage::make(229376, "Jun  1 2026,12:00");
    const QString path = folder.filePath(QStringLiteral("ralka-full.bin"));
    QVERIFY(firmwareimage::write(path, image));
    const QString other = file(QStringLiteral("other.bin"), 32);

    PageRecorder page(window);
    upload(window, path);
    // A second press while it runs changes nothing.
    QTRY_VERIFY(!page.states.isEmpty());
    upload(window, other);

    QTRY_COMPARE_WITH_TIMEOUT(dialogs::script::boxes().size(), 1, 10000);
    QVERIFY(isBox(dialogs::script::boxes()[0], QMessageBox::Information, "Notify", Updated));
    QStringList expected;
    for (int value = 0; value <= 95; ++value)
        expected << QStringLiteral("%1 Uploading ... 0 0").arg(value);
    expected << "97 Writing ... 0 0"
             << "98 Writing ... 0 0"
             << "99 Writing ... 0 0";
    // Reset before the success box; the manual button comes back as the
    // thread ends.
    expected << "0 Writing ... 0 1";
    QCOMPARE(page.states, expected);
    QTRY_VERIFY(idle(window));
    QCOMPARE(child<QPushButton>(window, "pbAutoUpgrade")->text(), QStringLiteral("Check Update"));

    // One image, the first, taken whole; the user's file stays.
    QCOMPARE(wheel->lastImage(), std::vector<std::uint8_t>(image.begin(), image.end()));
    QCOMPARE(successfulEnds(), 1);
    QVERIFY(QFile::exists(path));

    // The rebooted wheel is found and read again.
    QTRY_VERIFY_WITH_TIMEOUT(
        child<QLabel>(window, "lbVersion")->text().contains("Jun  1 2026,12:00"), 5000);
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(wheel->imagesWritten(), 1);
}

void TestManualUpdate::failedUpdates_data()
{
    QTest::addColumn<Interruption>("interruption");
    QTest::addColumn<QString>("reconnectedTo");
    QTest::newRow("chunk 501 refused") << Interruption::FailedSend << "RALKA";
    QTest::newRow("wheel unplugged") << Interruption::Unplug << "RALKA";
    QTest::newRow("second wheel there") << Interruption::SecondWheel << "DEMTA";
}

void TestManualUpdate::failedUpdates()
{
    QFETCH(Interruption, interruption);
    QFETCH(QString, reconnectedTo);
    auto wheel = emu::plug(Model::Ralka, FirstId);
    std::shared_ptr<emu::Wheel> second;
    if (interruption == Interruption::SecondWheel)
        second = emu::plug(Model::Demta, SecondId);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    const QString buildDate = QString::fromStdString(wheel->buildDate());

    if (interruption == Interruption::FailedSend)
        emu::failFrom(emu::Transfer::SendFeature, 500);
    else
        emu::setLatency(emu::Transfer::SendFeature, 2ms);
    upload(window, file(QStringLiteral("ralka.bin"), 16384));
    if (interruption != Interruption::FailedSend) {
        QTRY_VERIFY(firmwareimage::imageReports().size() >= 100);
        wheel->unplug();
    }
    QTRY_COMPARE_WITH_TIMEOUT(dialogs::script::boxes().size(), 1, 10000);
    QVERIFY(isBox(dialogs::script::boxes()[0], QMessageBox::Critical, "Error", Failed));
    emu::clearFailures();
    emu::setLatency(emu::Transfer::SendFeature, 0us);
    if (interruption == Interruption::Unplug)
        wheel->replug();
    QTRY_VERIFY(idle(window));

    // No image end for a partial image, nothing for the other wheel, and
    // the window looks for a wheel again.
    QCOMPARE(successfulEnds(), 0);
    QVERIFY(firmwareimage::imageReports(SecondId).empty());
    QTRY_VERIFY_WITH_TIMEOUT(windowlook::isConnected(window) &&
                                 child<QLabel>(window, "lbHead")->text().endsWith(reconnectedTo),
                             5000);
    QCOMPARE(wheel->imagesRejected() + wheel->imagesWritten(), 0);
    QCOMPARE(wheel->buildDate(), buildDate.toStdString());
    QCOMPARE(dialogs::script::boxes().size(), 1);
}

void TestManualUpdate::closeWaitsForUpload()
{
    auto wheel = emu::plug(Model::Ralka);
    auto window = std::make_unique<MainWindow>();
    window->show();
    QTRY_VERIFY(windowlook::isConnected(*window));
    emu::setLatency(emu::Transfer::SendFeature, 500us);
    upload(*window, file(QStringLiteral("close.bin"), 16384));
    QTRY_VERIFY(!child<QProgressBar>(*window, "pgUpgrade")->isHidden());

    // Both ways of closing are refused while the upload runs.
    QVERIFY(!window->close());
    child<QPushButton>(*window, "pbClose")->click();
    QVERIFY(window->isVisible());
    const QList<dialogs::ShownBox> boxes = dialogs::script::boxes();
    QCOMPARE(boxes.size(), 2);
    for (const dialogs::ShownBox &box : boxes)
        QVERIFY(isBox(box, QMessageBox::Information, "Notify", PleaseWait));

    // A window destroyed all the same waits for the whole image.
    window.reset();
    QCOMPARE(successfulEnds(), 1);
    QCOMPARE(wheel->lastImage().size(), std::size_t(16384));
    QCOMPARE(wheel->imagesRejected(), 0);
}

void TestManualUpdate::clearFlash_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("sendFails");
    QTest::addColumn<int>("clears");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("result");
    QTest::newRow("yes") << QMessageBox::Yes << false << 1 << int(QMessageBox::Information)
                         << "Notify"
                         << "Flash data has been cleared.";
    QTest::newRow("no") << QMessageBox::No << false << 0 << 0 << QString() << QString();
    QTest::newRow("yes, the send fails")
        << QMessageBox::Yes << true << 0 << int(QMessageBox::Critical) << "Error"
        << "Flash data has not been cleared.";
}

void TestManualUpdate::clearFlash()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, sendFails);
    QFETCH(int, clears);
    QFETCH(int, icon);
    QFETCH(QString, title);
    QFETCH(QString, result);
    auto wheel = emu::plug(Model::Demta);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    emu::clearLog();
    if (sendFails)
        emu::failNext(emu::Transfer::SendFeature, 1);
    dialogs::script::queueButton(answer);
    child<QPushButton>(window, "pbClearFlash")->click();

    const QList<dialogs::ShownBox> boxes = dialogs::script::boxes();
    QCOMPARE(boxes.size(), result.isEmpty() ? 1 : 2);
    QVERIFY(isBox(boxes[0], QMessageBox::Question, "Notify",
                  "Do you want to continue?\nThis operation will delete all the settings stored "
                  "in the device flash memory."));
    QCOMPARE(boxes[0].buttons, QMessageBox::Yes | QMessageBox::No);
    if (!result.isEmpty())
        QVERIFY(isBox(boxes[1], QMessageBox::Icon(icon), title, result));
    QCOMPARE(wheel->flashClears(), clears);

    std::vector<std::uint8_t> clear(20, 0);
    clear[0] = 0x02;
    clear[1] = 0x0C;
    clear[2] = 0x10;
    int sent = 0;
    for (const emu::LogEntry &entry : emu::log())
        sent += entry.kind == emu::Transfer::SendFeature && entry.bytes == clear;
    QCOMPARE(sent, answer == QMessageBox::Yes ? 1 : 0);
}

QTEST_MAIN(TestManualUpdate)
#include "tst_manualupdate.moc"
