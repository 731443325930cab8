// How fast the input reader passes the wheel's reports on: the delay a
// single input change sees on an idle wheel (at most one 10 ms poll sleep),
// how quickly a backlog is drained, and how soon a stop request ends it.

#include "device/hidlink.h"
#include "device/nolkevent.h"
#include "emulator/wheelemulator.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

constexpr std::uint16_t Vendor = 0x7B3E;
constexpr std::uint16_t Ralka = 0x2007;

class Counter : public QObject
{
public:
    explicit Counter(NolkEvent &reader)
    {
        connect(&reader, &NolkEvent::eventTrigger, this, [this] { ++reports; });
    }
    int reports = 0;
};

} // namespace

class BenchReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void inputChangeDelay();
    void backlogOfThousandReports();
    void stopWhileIdle();

private:
    std::shared_ptr<emu::Wheel> wheel;
};

void BenchReader::initTestCase()
{
    HidLink::init();
}

void BenchReader::init()
{
    emu::reset();
    emu::setLogEnabled(false);
    wheel = emu::plug(emu::Model::Ralka, Ralka);
    QVERIFY(HidLink::instance().open(Vendor, Ralka));
}

void BenchReader::cleanup()
{
    HidLink::instance().close();
    wheel.reset();
    emu::reset();
}

void BenchReader::inputChangeDelay()
{
    NolkEvent reader;
    Counter counter(reader);
    reader.start();
    qint64 worstUs = 0;
    qint64 totalUs = 0;
    int samples = 0;
    QBENCHMARK
    {
        // Land at a random point of the reader's idle sleep.
        QThread::usleep(static_cast<unsigned long>(QRandomGenerator::global()->bounded(10000)));
        const int before = counter.reports;
        QElapsedTimer timer;
        timer.start();
        wheel->setHeld(samples % 40, true);
        while (counter.reports == before)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const qint64 us = timer.nsecsElapsed() / 1000;
        worstUs = std::max(worstUs, us);
        totalUs += us;
        ++samples;
    }
    qInfo("input change delay over %d changes: mean %.2f ms, worst %.2f ms", samples,
          totalUs / 1000.0 / samples, worstUs / 1000.0);
    reader.requestInterruption();
    reader.wait();
}

void BenchReader::backlogOfThousandReports()
{
    NolkEvent reader;
    Counter counter(reader);
    QBENCHMARK
    {
        if (!HidLink::instance().isOpen())
            QVERIFY(HidLink::instance().open(Vendor, Ralka));
        counter.reports = 0;
        for (int i = 0; i < 1000; ++i)
            wheel->queueInput(emu::InputReport{static_cast<std::uint8_t>(i)});
        reader.start();
        while (counter.reports < 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        reader.requestInterruption();
        reader.wait();
    }
}

void BenchReader::stopWhileIdle()
{
    NolkEvent reader;
    qint64 worstUs = 0;
    QBENCHMARK
    {
        if (!HidLink::instance().isOpen())
            QVERIFY(HidLink::instance().open(Vendor, Ralka));
        reader.start();
        QThread::usleep(static_cast<unsigned long>(QRandomGenerator::global()->bounded(20000)));
        QElapsedTimer timer;
        timer.start();
        reader.requestInterruption();
        reader.wait();
        worstUs = std::max(worstUs, timer.nsecsElapsed() / 1000);
    }
    qInfo("stop while idle: worst %.2f ms", worstUs / 1000.0);
}

QTEST_MAIN(BenchReader)
#include "bench_reader.moc"
