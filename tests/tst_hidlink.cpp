// The shared HID handle: its answers with and without a wheel, and its
// locking when the GUI thread, the reader and the upload use it at once while
// the wheel comes and goes.

#include "device/hidlink.h"
#include "emulator/wheelemulator.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr std::uint16_t Vendor = 0x7B3E;
constexpr std::uint16_t Ralka = 0x2007;

protocol::Report report(std::initializer_list<std::uint8_t> head)
{
    protocol::Report bytes{};
    std::copy(head.begin(), head.end(), bytes.begin());
    return bytes;
}

// The queries the GUI thread makes, with the echo each answer must carry.
struct Query
{
    protocol::Report request;
    std::uint8_t item;
    std::uint8_t parameter;
};

const std::vector<Query> &queries()
{
    static const std::vector<Query> all{
        {report({0x02, 0x0B, 0x0A}), 0x0A, 0},
        {report({0x02, 0x0B, 0x0C, 0x04}), 0x0C, 0x04},
        {report({0x02, 0x0B, 0x0C, 0x08}), 0x0C, 0x08},
        {report({0x02, 0x0B, 0x0D}), 0x0D, 0},
        {report({0x02, 0x0B, 0x09}), 0x09, 0},
        {report({0x02, 0x0B, 0x0F}), 0x0F, 0},
        {report({0x02, 0x0B, 0x00}), 0x00, 0},
        {report({0x02, 0x0B, 0x03}), 0x03, 0},
    };
    return all;
}

bool echoes(const std::vector<std::uint8_t> &answer, const std::vector<std::uint8_t> &request)
{
    if (answer.size() < 3 || request.size() < 4 || answer[1] != request[2])
        return false;
    return request[2] != 0x0C || answer[2] == request[3];
}

// The input reader as the program runs it: non-blocking reads, and on a
// failed read it closes the wheel itself and ends.
class Reader
{
public:
    Reader()
        : thread([this] { run(); })
    {
    }
    ~Reader() { stop(); }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    void stop()
    {
        interrupted = true;
        if (thread.joinable())
            thread.join();
    }
    bool hasEnded() const { return ended; }
    int reports() const { return count; }

private:
    void run()
    {
        HidLink &link = HidLink::instance();
        unsigned char buffer[17] = {};
        link.setNonBlocking(true);
        while (!interrupted) {
            const int n = link.read(buffer, sizeof buffer);
            if (n < 0)
                break;
            if (n == 0)
                std::this_thread::sleep_for(1ms);
            else
                ++count;
        }
        link.close();
        ended = true;
    }

    std::atomic<bool> interrupted{false};
    std::atomic<bool> ended{false};
    std::atomic<int> count{0};
    std::thread thread;
};

} // namespace

class TestHidLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void noWheel();
    void generation();
    void query();
    void failedQuerySendSkipsGet();
    void staleGeneration();
    void closeTwice();
    void concurrentUse();
};

void TestHidLink::init()
{
    emu::reset();
    HidLink::init();
}

void TestHidLink::cleanup()
{
    HidLink::instance().close();
    QCOMPARE(emu::misuseCount(), 0);
    emu::reset();
}

void TestHidLink::noWheel()
{
    HidLink &link = HidLink::instance();
    QVERIFY(!link.isOpen());
    QVERIFY(!link.open(Vendor, Ralka));

    protocol::Report bytes = report({0x02, 0x0B, 0x0D});
    QVERIFY(link.sendFeature(bytes) < 0);
    QVERIFY(link.getFeature(bytes) < 0);
    QVERIFY(link.query(bytes) < 0);
    QVERIFY(link.write(report({0x03, 0x00})) < 0);
    QVERIFY(link.sendFeatureIfGeneration(bytes, link.generation()) < 0);
    QVERIFY(link.setNonBlocking(true) < 0);
    unsigned char buffer[17] = {};
    QVERIFY(link.read(buffer, sizeof buffer) < 0);
    link.close();
    QVERIFY(!link.isOpen());
    QVERIFY(emu::log().empty());
}

void TestHidLink::generation()
{
    HidLink &link = HidLink::instance();
    const std::uint64_t start = link.generation();
    QVERIFY(!link.open(Vendor, Ralka));
    QCOMPARE(link.generation(), start);

    emu::plug(emu::Model::Ralka, Ralka);
    QVERIFY(link.open(Vendor, Ralka));
    QCOMPARE(link.generation(), start + 1);
    // One wheel at a time: a second open fails and leaves the first.
    QVERIFY(!link.open(Vendor, Ralka));
    QCOMPARE(link.generation(), start + 1);
    link.close();
    QVERIFY(link.open(Vendor, Ralka));
    QCOMPARE(link.generation(), start + 2);
}

void TestHidLink::query()
{
    emu::plug(emu::Model::Sovin, Ralka);
    HidLink &link = HidLink::instance();
    QVERIFY(link.open(Vendor, Ralka));

    protocol::Report bytes = report({0x02, 0x0B, 0x0C, 0x04});
    QCOMPARE(link.query(bytes), 20);
    QCOMPARE(bytes[1], std::uint8_t{0x0C});
    QCOMPARE(bytes[2], std::uint8_t{0x04});
    QCOMPARE(bytes[3], std::uint8_t{100});

    // A get sets the report id itself.
    protocol::Report again{};
    QCOMPARE(link.getFeature(again), 20);
    QCOMPARE(again, bytes);

    const std::vector<emu::LogEntry> log = emu::log();
    QCOMPARE(log.size(), std::size_t{3});
    QCOMPARE(log[0].kind, emu::Transfer::SendFeature);
    QCOMPARE(log[1].kind, emu::Transfer::GetFeature);
    QCOMPARE(log[2].kind, emu::Transfer::GetFeature);
}

void TestHidLink::failedQuerySendSkipsGet()
{
    emu::plug(emu::Model::Ralka, Ralka);
    HidLink &link = HidLink::instance();
    QVERIFY(link.open(Vendor, Ralka));
    emu::failNext(emu::Transfer::SendFeature, 1);

    protocol::Report bytes = report({0x02, 0x0B, 0x0D});
    QCOMPARE(link.query(bytes), -1);
    QCOMPARE(bytes, report({0x02, 0x0B, 0x0D}));
    const std::vector<emu::LogEntry> log = emu::log();
    QCOMPARE(log.size(), std::size_t{1});
    QCOMPARE(log[0].result, -1);
}

void TestHidLink::staleGeneration()
{
    emu::plug(emu::Model::Ralka, Ralka);
    HidLink &link = HidLink::instance();
    QVERIFY(link.open(Vendor, Ralka));
    const std::uint64_t first = link.generation();
    link.close();
    QVERIFY(link.open(Vendor, Ralka));
    emu::clearLog();

    const protocol::Report chunk = report({0x02, 0x80, 0x00, 0x01, 0xAA});
    QCOMPARE(link.sendFeatureIfGeneration(chunk, first), -1);
    QVERIFY(emu::log().empty());
    QCOMPARE(link.sendFeatureIfGeneration(chunk, link.generation()), 20);
}

void TestHidLink::closeTwice()
{
    emu::plug(emu::Model::Ralka, Ralka);
    HidLink &link = HidLink::instance();
    QVERIFY(link.open(Vendor, Ralka));
    link.close();
    link.close();
    QVERIFY(!link.isOpen());
    QVERIFY(link.sendFeature(report({0x02, 0x0E})) < 0);
    QVERIFY(emu::log().empty());
}

void TestHidLink::concurrentUse()
{
    auto wheel = emu::plug(emu::Model::Ralka, Ralka);
    emu::setLatency(emu::Transfer::SendFeature, 100us);
    emu::setLatency(emu::Transfer::GetFeature, 100us);
    emu::setLatency(emu::Transfer::Write, 50us);
    HidLink &link = HidLink::instance();
    QVERIFY(link.open(Vendor, Ralka));

    std::atomic<bool> stopping{false};
    std::atomic<int> unplugs{0};
    std::atomic<int> uploads{0};

    // The cable: unplugged and plugged back now and then, buttons and axes
    // moving in between.
    std::thread cable([&] {
        int step = 0;
        while (!stopping) {
            for (int i = 0; i < 40 && !stopping; ++i, ++step) {
                wheel->setHeld(step % 64, (step / 64) % 2 == 0);
                wheel->setAxes(static_cast<std::uint16_t>(step),
                               static_cast<std::uint16_t>(4095 - step % 4096));
                std::this_thread::sleep_for(1ms);
            }
            wheel->unplug();
            ++unplugs;
            std::this_thread::sleep_for(5ms);
            wheel->replug();
        }
    });

    // The upload: chunk-like reports for whichever wheel is open now.
    std::thread upload([&] {
        protocol::Report chunk = report({0x02, 0x80, 0x00, 0x10});
        while (!stopping) {
            if (link.sendFeatureIfGeneration(chunk, link.generation()) > 0)
                ++uploads;
            std::this_thread::yield();
        }
    });

    // The GUI thread: queries and sends, and reopens the wheel after
    // stopping the reader, as onInit does.
    std::unique_ptr<Reader> reader;
    int answered = 0;
    int wrongEchoes = 0;
    int reopened = 0;
    int readReports = 0;
    const auto end = std::chrono::steady_clock::now() + 3s;
    for (std::size_t round = 0; std::chrono::steady_clock::now() < end; ++round) {
        if (!reader || reader->hasEnded() || round % 500 == 499) {
            if (reader) {
                reader->stop();
                readReports += reader->reports();
                reader.reset();
            }
            link.close();
            if (!link.open(Vendor, Ralka)) {
                std::this_thread::sleep_for(1ms);
                continue;
            }
            ++reopened;
            reader = std::make_unique<Reader>();
        }
        const Query &next = queries()[round % queries().size()];
        protocol::Report bytes = next.request;
        if (link.query(bytes) > 0) {
            ++answered;
            if (bytes[1] != next.item || (next.item == 0x0C && bytes[2] != next.parameter))
                ++wrongEchoes;
        }
        link.sendFeature(report({0x02, 0x0C, 0x04, static_cast<std::uint8_t>(40 + round % 200)}));
        link.write(report({0x03, static_cast<std::uint8_t>(round % 4)}));
    }
    if (reader) {
        reader->stop();
        readReports += reader->reports();
    }
    stopping = true;
    cable.join();
    upload.join();
    link.close();

    QCOMPARE(wrongEchoes, 0);
    QVERIFY2(answered > 100, qPrintable(QString::number(answered)));
    QVERIFY2(unplugs > 5, qPrintable(QString::number(unplugs)));
    QVERIFY2(reopened > 5, qPrintable(QString::number(reopened)));
    QVERIFY2(readReports > 100, qPrintable(QString::number(readReports)));
    QVERIFY(uploads > 0);

    // No report from any thread fell between a query and its get, and every
    // answer echoes its own query.
    std::vector<emu::LogEntry> transfers;
    for (emu::LogEntry &entry : emu::log()) {
        if (entry.kind != emu::Transfer::Read)
            transfers.push_back(std::move(entry));
    }
    int checked = 0;
    for (std::size_t i = 0; i < transfers.size(); ++i) {
        const emu::LogEntry &entry = transfers[i];
        if (entry.kind == emu::Transfer::GetFeature) {
            QVERIFY(i > 0);
            const emu::LogEntry &sent = transfers[i - 1];
            QCOMPARE(sent.kind, emu::Transfer::SendFeature);
            QCOMPARE(sent.bytes[1], std::uint8_t{0x0B});
            QCOMPARE(sent.result, 20);
            QCOMPARE(sent.thread, entry.thread);
            if (entry.result > 0) {
                QVERIFY(echoes(entry.bytes, sent.bytes));
                ++checked;
            }
        } else if (entry.kind == emu::Transfer::SendFeature && entry.bytes[1] == 0x0B &&
                   entry.result > 0) {
            QVERIFY(i + 1 < transfers.size());
            QCOMPARE(transfers[i + 1].kind, emu::Transfer::GetFeature);
        }
    }
    QCOMPARE(checked, answered);
    QCOMPARE(emu::misuseCount(), 0);
}

QTEST_GUILESS_MAIN(TestHidLink)
#include "tst_hidlink.moc"
