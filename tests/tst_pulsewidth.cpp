#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "support/findwidget.h"
#include "support/testenv.h"
#include "support/transfers.h"
#include "support/windowlook.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace {

const QString Saved = QStringLiteral("Success: Setting saved.");
const QString NotSaved = QStringLiteral("Error: Can not save setting.");

// The last box as "title: text"; its icon must go with the title.
QString lastBox()
{
    const QList<dialogs::ShownBox> boxes = dialogs::script::boxes();
    if (boxes.isEmpty())
        return QString();
    const dialogs::ShownBox &box = boxes.last();
    const auto icon =
        box.title == QLatin1String("Error") ? QMessageBox::Critical : QMessageBox::Information;
    return box.icon == icon && box.buttons == QMessageBox::Ok ? box.title + ": " + box.text
                                                              : QStringLiteral("wrong box");
}

} // namespace

class TestPulseWidth : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testenv::isolate(); }
    void cleanup();

    void releaseSendsLiveUpdate();
    void save_data();
    void save();
    void nothingWithoutWheel();
};

void TestPulseWidth::cleanup()
{
    emu::reset();
    testenv::clearSettings();
    dialogs::script::reset();
}

void TestPulseWidth::releaseSendsLiveUpdate()
{
    auto wheel = emu::plug(emu::Model::Ralka);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    auto *slider = child<QSlider>(window, "hsTrigger");
    emu::clearLog();

    slider->setValue(40);
    QCOMPARE(child<QLabel>(window, "lbTrigger")->text(), QStringLiteral("40ms"));
    QVERIFY(sentReports().isEmpty());
    slider->setSliderDown(true);
    slider->setSliderDown(false);
    QCOMPARE(sentReports(), QByteArrayList{report("02 0c 04 28")});
    QCOMPARE(wheel->live().pulseWidth, 40);
    QCOMPARE(wheel->stored().pulseWidth, 100);
    QCOMPARE(slider->statusTip(), QStringLiteral("100"));
}

// Two saves in a row: what each sends and shows, and what the wheel keeps.
void TestPulseWidth::save_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("moveTo"); // 0: the slider stays as connected
    QTest::addColumn<bool>("firstFails");
    QTest::addColumn<QByteArrayList>("first");
    QTest::addColumn<QString>("firstBox");
    QTest::addColumn<QByteArrayList>("second");
    QTest::addColumn<int>("kept");

    const QByteArray store240 = report("02 0c 04 f0 00 00 00 ef");
    QTest::newRow("240 after 100, then nothing")
        << 100 << 240 << false << QByteArrayList{store240} << Saved << QByteArrayList{} << 240;
    QTest::newRow("unchanged") << 100 << 0 << false << QByteArrayList{} << Saved << QByteArrayList{}
                               << 100;
    // The slider clamps 500 to 240 and records that as stored.
    QTest::newRow("500 read as 240")
        << 500 << 0 << false << QByteArrayList{} << Saved << QByteArrayList{} << 500;
    QTest::newRow("-1 keeps the slider's 100")
        << -1 << 0 << false << QByteArrayList{} << Saved << QByteArrayList{} << -1;
    QTest::newRow("failed write is retried")
        << 100 << 240 << true << QByteArrayList{store240 + " failed"} << NotSaved
        << QByteArrayList{store240} << 240;
}

void TestPulseWidth::save()
{
    QFETCH(int, stored);
    QFETCH(int, moveTo);
    QFETCH(bool, firstFails);
    QFETCH(QByteArrayList, first);
    QFETCH(QString, firstBox);
    QFETCH(QByteArrayList, second);
    QFETCH(int, kept);

    auto wheel = emu::plug(emu::Model::Demta);
    emu::Settings settings = wheel->stored();
    settings.pulseWidth = stored;
    wheel->setStored(settings);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    if (moveTo)
        child<QSlider>(window, "hsTrigger")->setValue(moveTo);
    auto *save = child<QPushButton>(window, "pbSaveEnc");

    emu::clearLog();
    if (firstFails)
        emu::failNext(emu::Transfer::SendFeature, 1);
    save->click();
    QCOMPARE(sentReports(), first);
    QCOMPARE(lastBox(), firstBox);

    emu::clearLog();
    save->click();
    QCOMPARE(sentReports(), second);
    QCOMPARE(lastBox(), Saved);
    QCOMPARE(dialogs::script::boxes().size(), 2);
    QCOMPARE(wheel->stored().pulseWidth, kept);
}

void TestPulseWidth::nothingWithoutWheel()
{
    MainWindow window;
    QTRY_VERIFY(windowlook::isWaiting(window));
    auto *slider = child<QSlider>(window, "hsTrigger");
    slider->setValue(200);
    slider->setSliderDown(true);
    slider->setSliderDown(false);
    child<QPushButton>(window, "pbSaveEnc")->click();
    QVERIFY(dialogs::script::boxes().isEmpty());
    QVERIFY(emu::log().empty());
}

QTEST_MAIN(TestPulseWidth)
#include "tst_pulsewidth.moc"
