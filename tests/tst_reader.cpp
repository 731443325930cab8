#include "device/hidlink.h"
#include "device/nolkevent.h"
#include "emulator/wheelemulator.h"
#include "support/debugcapture.h"
#include "support/testenv.h"

#include <QTest>

namespace {

// Receives the reader's signals on the test's own thread, as the window does.
class Receiver : public QObject
{
public:
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

enum class Ending { StopWhileIdle, Unplug, FailedRead, NoHandle };

const QString DoneLine = QStringLiteral("joystick event thread done.");

} // namespace

Q_DECLARE_METATYPE(Ending)

class TestReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void forwardsEveryReport();
    void endings_data();
    void endings();

private:
    std::shared_ptr<emu::Wheel> wheel;
};

void TestReader::initTestCase()
{
    testenv::isolate();
    HidLink::init();
}

void TestReader::init()
{
    wheel = emu::plug(emu::Model::Ralka);
    QVERIFY(HidLink::instance().open(0x7B3E, 0x2007));
}

void TestReader::cleanup()
{
    HidLink::instance().close();
    wheel.reset();
    emu::reset();
}

// A backlog, two identical reports among it: every one comes through, in
// order; a short read keeps the run's previous bytes behind its own, and a
// new run starts from zeros.
void TestReader::forwardsEveryReport()
{
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
    };
    run(9);
    QVERIFY(HidLink::instance().open(0x7B3E, 0x2007));
    wheel->queueFrame({0x01, 0x07, 0x08});
    run(10);
    QCOMPARE(receiver.reports.at(0), receiver.reports.at(1));
    for (int i = 1; i < 8; ++i) {
        QCOMPARE(receiver.reports.at(i).size(), 16);
        QCOMPARE(int(std::uint8_t(receiver.reports.at(i).at(0))), 0x10 * i);
        QCOMPARE(int(std::uint8_t(receiver.reports.at(i).at(15))), 0x10 * i + 15);
    }
    QCOMPARE(receiver.reports.at(8).toHex(), "a0a1a2a3" + QByteArray("7475767778797a7b7c7d7e7f"));
    QCOMPARE(receiver.reports.at(9).toHex(), "0708" + QByteArray(28, '0'));
}

void TestReader::endings_data()
{
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<int>("disconnects");
    QTest::addColumn<int>("doneLines");
    QTest::newRow("stop request while idle") << Ending::StopWhileIdle << 0 << 1;
    QTest::newRow("wheel unplugged") << Ending::Unplug << 1 << 1;
    QTest::newRow("read fails") << Ending::FailedRead << 1 << 1;
    QTest::newRow("no wheel open at start") << Ending::NoHandle << 1 << 0;
}

void TestReader::endings()
{
    QFETCH(Ending, ending);
    QFETCH(int, disconnects);
    QFETCH(int, doneLines);
    if (ending == Ending::NoHandle)
        HidLink::instance().close();
    if (ending == Ending::FailedRead)
        emu::failFrom(emu::Transfer::Read, 0);

    DebugCapture debug;
    NolkEvent reader;
    Receiver receiver(reader);
    reader.start();
    if (ending == Ending::StopWhileIdle) {
        QTest::qWait(30);
        reader.requestInterruption();
    } else if (ending == Ending::Unplug) {
        QTest::qWait(30);
        wheel->unplug();
    }
    QVERIFY(reader.wait(5000));
    QTRY_COMPARE(receiver.disconnects, disconnects);
    QTest::qWait(30);
    QCOMPARE(receiver.disconnects, disconnects);
    QCOMPARE(debug.count(DoneLine), doneLines);
    QVERIFY(!HidLink::instance().isOpen());
    QCOMPARE(emu::misuseCount(), 0);
}

QTEST_MAIN(TestReader)
#include "tst_reader.moc"
