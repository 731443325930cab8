#include "app/mainwindow.h"
#include "device/hidlink.h"
#include "emulator/wheelemulator.h"
#include "support/findwidget.h"
#include "support/windowfixture.h"
#include "support/windowlook.h"

#include <QBluetoothAddress>
#include <QBluetoothDeviceInfo>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <atomic>

namespace {

using emu::Model;
using Devices = QList<QPair<QString, int>>;

// Send times of the battery queries in the transfer log.
std::vector<emu::Clock::time_point> batteryPolls()
{
    std::vector<emu::Clock::time_point> times;
    for (const emu::LogEntry &entry : emu::log()) {
        if (entry.kind == emu::Transfer::SendFeature && entry.bytes.size() > 2 &&
            entry.bytes[1] == 0x0B && entry.bytes[2] == 0x0F)
            times.push_back(entry.time);
    }
    return times;
}

// Every message the program writes, of any level.
std::atomic<int> messages{0};
QtMessageHandler testHandler = nullptr;

void countMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    ++messages;
    testHandler(type, context, message);
}

} // namespace

class TestWireless : public WindowTest
{
    Q_OBJECT

public:
    TestWireless() : WindowTest(40) {}

private slots:
    void initTestCase()
    {
        WindowTest::initTestCase();
        testHandler = qInstallMessageHandler(countMessage);
    }

    // The charge is shown unclamped up to a supply of 4299. A failed get, or
    // an answer to another query, leaves the line and the radio line as they
    // were; the next poll reads USB from 4300 and hides the radio line itself.
    void batteryPoll()
    {
        auto wheel = emu::plug(Model::Ralka);
        wheel->setBattery(255, 4299);
        MainWindow window;
        QLabel *battery = child<QLabel>(window, "lbBatStatus");
        QLabel *radio = child<QLabel>(window, "lbBTStatus");
        QTRY_COMPARE(battery->text(), QStringLiteral("BATTERY STATUS: 255%"));
        wheel->setBattery(60, 4300);
        radio->show();
        const auto waitForPoll = [] {
            const std::size_t before = batteryPolls().size();
            QTRY_VERIFY(batteryPolls().size() > before);
        };
        emu::failNext(emu::Transfer::GetFeature, 1);
        waitForPoll();
        QCOMPARE(battery->text(), QStringLiteral("BATTERY STATUS: 255%"));
        QVERIFY(!radio->isHidden());
        wheel->setRawAnswer(0x0F, 0, {0x02, 0x0D, 60, 0xCC, 0x10});
        waitForPoll();
        QCOMPARE(battery->text(), QStringLiteral("BATTERY STATUS: 255%"));
        QVERIFY(!radio->isHidden());
        wheel->clearRawAnswers();
        waitForPoll();
        QCOMPARE(battery->text(), QStringLiteral("BATTERY STATUS: USB"));
        QVERIFY(radio->isHidden());
    }

    // The last device of a scan with RALKA anywhere in its name wins; RSSI 0
    // and other cases of the name are passed over.
    void radioDevices()
    {
        MainWindow window;
        const Devices devices{
            {"RALKA 1", -55}, {"Nolk RALKA", -70}, {"Phone", -20}, {"RALKA 3", 0}, {"Ralka", -30}};
        for (const auto &[name, rssi] : devices) {
            QBluetoothDeviceInfo info(QBluetoothAddress(quint64(1)), name, 0);
            info.setRssi(static_cast<qint16>(rssi));
            QVERIFY(QMetaObject::invokeMethod(&window, "onBTUpdate",
                                              Q_ARG(QBluetoothDeviceInfo, info)));
        }
        QCOMPARE(child<QLabel>(window, "lbBTStatus")->text(),
                 QStringLiteral("BLUETOOTH CONNECTION STATUS: -70"));
    }

    // After a scan ends the next one follows a pause later, only while a
    // wireless wheel is there and the radio line is shown, on whatever page.
    void scanEnd_data()
    {
        QTest::addColumn<Model>("model");
        QTest::addColumn<QString>("setup");
        QTest::newRow("RALKA, line on a page not shown") << Model::Ralka << "other page";
        QTest::newRow("RALKA, line hidden") << Model::Ralka << "line hidden";
        QTest::newRow("RALKA, wheel gone") << Model::Ralka << "unplugged";
        QTest::newRow("DEMTA, line hidden by the scan end") << Model::Demta << "device page";
    }
    void scanEnd()
    {
        QFETCH(Model, model);
        QFETCH(QString, setup);
        auto wheel = emu::plug(model);
        MainWindow &window = connectWindow();
        QLabel *radio = child<QLabel>(window, "lbBTStatus");
        // Battery polls keep the radio line as it is: a scan is the only thing that shows it.
        emu::failFrom(emu::Transfer::GetFeature, 0);
        if (setup == "device page" || setup == "line hidden")
            child<QPushButton>(window, "pbS4")->click();
        radio->setVisible(setup != "line hidden");
        if (setup == "unplugged") {
            wheel->unplug();
            QTRY_VERIFY(windowlook::isWaiting(window));
            // The battery poll after the unplug finds no wheel and ends its loop.
            QTRY_VERIFY(!child<QTimer>(window, "batteryPause")->isActive());
        }

        QVERIFY(QMetaObject::invokeMethod(&window, "onBTDone"));
        QElapsedTimer sinceScanEnd;
        sinceScanEnd.start();
        if (model == Model::Demta)
            QVERIFY(radio->isHidden());
        radio->hide();
        if (model == Model::Ralka && setup.endsWith("page")) {
            QTRY_VERIFY(!radio->isHidden());
            QVERIFY(sinceScanEnd.elapsed() >= 5000 / 40 * 9 / 10);
        } else {
            // Three pauses: time for a scan that must not come.
            QTest::qWait(3 * 5000 / 40);
            QVERIFY(radio->isHidden());
        }
    }

    // Half a pause after a RALKA's poll, its battery loop is started again or
    // the wheel replaced: one loop goes on, polling a pause apart, and none
    // for a wheel without a battery or of no known model. Without an adapter the first scan may
    // say so once; after that the window stays quiet: no rescan of a failed
    // scan, no line per poll.
    void batteryLoop_data()
    {
        QTest::addColumn<QString>("then");
        QTest::newRow("start while the pause is pending") << "start";
        QTest::newRow("RALKA back within the pause") << "RALKA";
        QTest::newRow("DEMTA within RALKA's pause") << "DEMTA";
        QTest::newRow("unknown model within RALKA's pause") << "NOLK PROTOTYPE";
    }
    void batteryLoop()
    {
        QFETCH(QString, then);
        const bool wireless = then == "start" || then == "RALKA";
        const int pause = 10000 / 40;
        auto wheel = emu::plug(Model::Ralka);
        MainWindow &window = connectWindow();
        QTRY_VERIFY(!batteryPolls().empty());
        // Into the pause after that poll.
        QTest::qWait(pause / 2);
        emu::clearLog();
        const std::uint64_t opened = HidLink::instance().generation();
        if (then == "start") {
            QVERIFY(QMetaObject::invokeMethod(&window, "onBatScan"));
        } else {
            wheel->unplug();
            if (wireless)
                wheel->replug();
            else if (then == "DEMTA")
                emu::plug(Model::Demta);
            else
                emu::plug(Model::Ralka)->setName(then.toStdString());
            QTRY_VERIFY(HidLink::instance().generation() != opened);
        }
        // The first scan has ended and may have said there is no adapter.
        QTest::qWait(5000 / 40);
        const int said = messages;
        emu::clearLog();
        if (wireless)
            QTRY_VERIFY(batteryPolls().size() >= 4);
        else
            QTest::qWait(3 * pause); // time for polls that must not come

        const std::vector<emu::Clock::time_point> polls = batteryPolls();
        QCOMPARE(!polls.empty(), wireless);
        for (std::size_t i = 1; i < polls.size(); ++i) {
            const auto gap =
                std::chrono::duration_cast<std::chrono::milliseconds>(polls[i] - polls[i - 1]);
            QVERIFY2(gap.count() >= pause * 8 / 10, qPrintable(QString::number(gap.count())));
        }
        QCOMPARE(messages.load(), said);
        QCOMPARE(!child<QLabel>(window, "lbBatStatus")->isHidden(), wireless);
        QCOMPARE(!child<QLabel>(window, "lbBTStatus")->isHidden(), wireless);
        QVERIFY(windowlook::isConnected(window));
    }
};

QTEST_MAIN(TestWireless)
#include "tst_wireless.moc"
