// The wheel emulator held against what the program needs of a wheel, talked
// to only through the hidapi functions, byte for byte. It shares no code with
// the program's protocol unit, so the bytes are written out here.

#include "emulator/wheelemulator.h"

#include <hidapi.h>

#include <QtTest>

#include <chrono>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using emu::Report;

constexpr unsigned short Vendor = 0x7B3E;

// Hex text as a report; bytes not given are zero.
static Report report(const QByteArray &hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    Report out{};
    std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), 20), out.begin());
    return out;
}

template <typename Container> static QByteArray hex(const Container &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size())).toHex();
}

static int send(hid_device *device, const Report &bytes)
{
    return hid_send_feature_report(device, bytes.data(), bytes.size());
}

// The program's query: send it, then get the answer into the same buffer,
// whose byte 0 is already the report id 0x02.
static Report query(hid_device *device, Report bytes)
{
    const bool answered = send(device, bytes) == 20 &&
                          hid_get_feature_report(device, bytes.data(), bytes.size()) == 20;
    return answered ? bytes : Report{};
}

class TestEmulator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void identity();
    void queries_data();
    void queries();
    void inputReports();
    void handles();
    void transfers();

private:
    hid_device *open(std::uint16_t productId)
    {
        hid_device *handle = hid_open(Vendor, productId, nullptr);
        if (handle != nullptr)
            opened.push_back(handle);
        return handle;
    }

    std::shared_ptr<emu::Wheel> wheel;
    hid_device *device = nullptr;
    std::vector<hid_device *> opened;
};

// Every test starts with a fresh RALKA at product id 0x2007, open.
void TestEmulator::init()
{
    emu::reset();
    wheel = emu::plug(emu::Model::Ralka, 0x2007);
    device = open(0x2007);
    QVERIFY(device);
}

void TestEmulator::cleanup()
{
    std::for_each(opened.begin(), opened.end(), hid_close);
    opened.clear();
    QCOMPARE(emu::misuseCount(), 0);
    emu::reset();
}

// A wheel is found by its product id under the maker's vendor id only.
// (Each model's name and build date are held by the connection tests.)
void TestEmulator::identity()
{
    QVERIFY(hid_open(0x7B3F, 0x2007, nullptr) == nullptr);
    QVERIFY(hid_open(Vendor, 0x200A, nullptr) == nullptr);
}

// The commands are taken (output reports for report id 3), and the query
// that follows is answered with its item echoed in byte 1. Queries answer the
// stored settings: live writes leave them. LED blocks are kept only with the
// store command.
void TestEmulator::queries_data()
{
    QTest::addColumn<QByteArrayList>("writes");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");

    const auto row = [](const char *tag, const QByteArrayList &writes, const char *request,
                        const char *answer) {
        QTest::newRow(tag) << writes << QByteArray(request) << QByteArray(answer);
    };
    // A fresh wheel: bite point 50 on the left paddle, axes 0 to 4096, pulse
    // width 100 ms, all LEDs white. (The battery answer and the stored clutch
    // are held by the wireless and paddle tests.)
    row("stored paddle mode", {"020A83EF00A00F3C0FC8006400"}, "020B0A",
        "020A830000A00F3C0FC8006400");
    row("live pulse width", {"020C04F0"}, "020B0C04", "020C0464");
    row("shifter teaching and unknown ops", {"020C03", "020C05FFFFFFFFEF", "0255"}, "020B0C04",
        "020C0464");
    row("led block not stored", {"0301000102030405060708090A0B0C0D0E0F1011"}, "020B01",
        "0201FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF");
    row("led block stored", {"0301000102030405060708090A0B0C0D0E0F1011", "020E"}, "020B01",
        "0201000102030405060708090A0B0C0D0E0F1011");
}

void TestEmulator::queries()
{
    QFETCH(QByteArrayList, writes);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);

    for (const QByteArray &write : writes) {
        const Report bytes = report(write);
        QCOMPARE(bytes[0] == 0x03 ? hid_write(device, bytes.data(), 20) : send(device, bytes), 20);
    }
    QCOMPARE(hex(query(device, report(request))), hex(report(answer)));
}

// Every change goes out as one report: id 0x01, axis R and L, the 64 input
// bits. An encoder detent is its input bit set for the live pulse width, then
// cleared; detents of one encoder follow one another.
void TestEmulator::inputReports()
{
    QCOMPARE(hid_set_nonblocking(device, 1), 0);
    wheel->setAxes(0x0123, 0x0FED);
    wheel->setHeld(47, true);
    wheel->setHeld(0, true);
    Bytes frame(17);
    for (const char *expected :
         {"012301ed0f000000000000000000000000", "012301ed0f000000000080000000000000",
          "012301ed0f010000000080000000000000"}) {
        QCOMPARE(hid_read(device, frame.data(), frame.size()), 17);
        QCOMPARE(hex(frame), QByteArray(expected));
    }

    QCOMPARE(send(device, {0x02, 0x0C, 0x04, 40}), 20);
    const auto turned = emu::Clock::now();
    wheel->turnEncoder(4);
    wheel->turnEncoder(4);
    std::vector<emu::Clock::duration> edges;
    for (std::uint8_t bits : {0x11, 0x01, 0x11, 0x01}) { // input 0 stays held
        QCOMPARE(hid_read_timeout(device, frame.data(), frame.size(), 2000), 17);
        edges.push_back(emu::Clock::now() - turned);
        QCOMPARE(frame[5], bits);
    }
    QVERIFY(edges[1] >= 40ms && edges[3] >= 80ms);
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 0);
}

// Once unplugged, every transfer on the handle fails, and only a new handle
// reaches the replugged wheel, settings kept. (Image writes and restarts, and
// unopenable wheels, are held by the update, command line and connection
// tests through the program.)
void TestEmulator::handles()
{
    QCOMPARE(send(device, {0x02, 0x0C, 0x04, 0x50, 0, 0, 0, 0xEF}), 20);
    wheel->unplug();
    wheel->replug();
    QCOMPARE(send(device, {0x02, 0x0B, 0x0D}), -1);
    hid_device *again = open(0x2007);
    QCOMPARE(hex(query(again, {0x02, 0x0B, 0x0C, 0x04})), hex(report("020C0450")));
}

// Every transfer is logged with its thread (its bytes, result and wheel are
// held by the upload tests). Feature reports other than 20 bytes with report
// id 2, and output reports other than 20 bytes with report id 3, are refused,
// as is every transfer a failure is injected into from then on. A closed
// handle is counted as misuse instead of crashing.
void TestEmulator::transfers()
{
    const Report answer = query(device, {0x02, 0x0B, 0x0D});
    QCOMPARE(emu::log().size(), std::size_t{2});
    QVERIFY(emu::log()[1].thread == std::this_thread::get_id());

    const Report feature{0x02, 0x0C, 0x04, 0x50}, output{0x03, 0x01};
    QCOMPARE(hid_send_feature_report(device, output.data(), 20), -1);
    QCOMPARE(hid_send_feature_report(device, feature.data(), 19), -1);
    QCOMPARE(hid_write(device, feature.data(), 20), -1);
    QCOMPARE(hid_write(device, output.data(), 19), -1);

    QCOMPARE(hid_set_nonblocking(device, 1), 0);
    emu::failFrom(emu::Transfer::Read, 2);
    Bytes frame(17);
    for (int result : {0, 0, -1, -1})
        QCOMPARE(hid_read(device, frame.data(), frame.size()), result);
    emu::clearFailures();
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 0);

    opened.clear();
    hid_close(device);
    QCOMPARE(send(device, answer), -1);
    QCOMPARE(emu::misuseCount(), 1);
    emu::reset();
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
