#include "device/hidlink.h"
#include "device/nolkevent.h"
#include "emulator/wheelemulator.h"
#include "support/debugcapture.h"
#include "support/testenv.h"

#include <QTest>

namespace {

// Receives the reader's signals on the test's own thread, as the window does.
struct Receiver : QObject
{
    explicit Receiver(NolkEvent &reader)
    {
        connect(&reader, &NolkEvent::eventTrigger, this,
                [this](const QByteArray &report) { reports.append(report); });
        connect(&reader, &NolkEvent::deviceDisconnect, this, [this] { ++disconnects; });
    }
    QList<QByteArray> reports;
    int disconnects = 0;
};

emu::InputReport inputReport(std::uint8_t first)
{
    emu::InputReport report{};
    for (std::size_t i = 0; i < report.size(); ++i)
        report[i] = static_cast<std::uint8_t>(first + i);
    return report;
}

const QString DoneLine = QStringLiteral("joystick event thread done.");

} // namespace

class TestReader : public QObject
{
    Q_OBJECT

    std::shared_ptr<emu::Wheel> wheel;

private slots:
    void initTestCase()
    {
        testenv::isolate();
        HidLink::init();
    }
    void init()
    {
        wheel = emu::plug(emu::Model::Ralka);
        QVERIFY(HidLink::instance().open(0x7B3E, 0x2007));
    }
    void cleanup()
    {
        QCOMPARE(emu::misuseCount(), 0);
        HidLink::instance().close();
        wheel.reset();
        emu::reset();
    }

    // A backlog, two identical reports among it: every one comes through, in
    // order; a short read keeps the run's previous bytes behind its own, and a
    // new run starts from zeros. A stop asked for while idle closes the wheel
    // without telling of a disconnection.
    void forwardsEveryReport()
    {
        DebugCapture debug;
        NolkEvent reader;
        Receiver receiver(reader);
        wheel->queueInput(inputReport(0x10));
        for (std::uint8_t first = 0x10; first < 0x80; first += 0x10)
            wheel->queueInput(inputReport(first));
        wheel->queueFrame({0x01, 0xA0, 0xA1, 0xA2, 0xA3});
        const auto run = [&](int reports) {
            reader.start();
            QTRY_COMPARE(receiver.reports.size(), reports);
            reader.requestInterruption();
            QVERIFY(reader.wait(5000));
            QVERIFY(!HidLink::instance().isOpen());
        };
        run(9);
        QVERIFY(HidLink::instance().open(0x7B3E, 0x2007));
        wheel->queueFrame({0x01, 0x07, 0x08});
        run(10);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(receiver.disconnects, 0);
        QCOMPARE(debug.count(DoneLine), 2);
        QCOMPARE(receiver.reports.at(0), receiver.reports.at(1));
        for (int i = 1; i < 8; ++i) {
            const emu::InputReport sent = inputReport(std::uint8_t(0x10 * i));
            QCOMPARE(receiver.reports.at(i),
                     QByteArray(reinterpret_cast<const char *>(sent.data()), 16));
        }
        QCOMPARE(receiver.reports.at(8).toHex(), QByteArray("a0a1a2a37475767778797a7b7c7d7e7f"));
        QCOMPARE(receiver.reports.at(9).toHex(), "0708" + QByteArray(28, '0'));
    }

    // An end the reader did not ask for tells the window once that the wheel
    // is gone and leaves the link closed; a reader that never read says
    // nothing of its end.
    void endings_data()
    {
        QTest::addColumn<bool>("opened");
        QTest::newRow("wheel unplugged while idle") << true;
        QTest::newRow("no wheel open at start") << false;
    }
    void endings()
    {
        QFETCH(bool, opened);
        if (!opened)
            HidLink::instance().close();
        DebugCapture debug;
        NolkEvent reader;
        Receiver receiver(reader);
        reader.start();
        QTest::qWait(30); // into its idle polling, which logs nothing to wait on
        wheel->unplug();
        QVERIFY(reader.wait(5000));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(receiver.disconnects, 1);
        QCOMPARE(debug.count(DoneLine), opened ? 1 : 0);
        QVERIFY(!HidLink::instance().isOpen());
    }
};

QTEST_MAIN(TestReader)
#include "tst_reader.moc"
