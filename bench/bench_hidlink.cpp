// What the shared HID handle and the emulated wheel cost per transfer: the
// reader's idle poll, one query, and a full-size firmware image.

#include "device/hidlink.h"
#include "emulator/wheelemulator.h"

#include <QtTest>

namespace {

constexpr std::uint16_t Vendor = 0x7B3E;
constexpr std::uint16_t Ralka = 0x2007;
constexpr std::size_t FullImage = 229376;

} // namespace

class BenchHidLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void idleRead();
    void query();
    void fullImage();
};

void BenchHidLink::init()
{
    emu::reset();
    emu::setLogEnabled(false);
    emu::plug(emu::Model::Ralka, Ralka);
    HidLink::init();
    QVERIFY(HidLink::instance().open(Vendor, Ralka));
    QCOMPARE(HidLink::instance().setNonBlocking(true), 0);
}

void BenchHidLink::cleanup()
{
    HidLink::instance().close();
    emu::reset();
}

void BenchHidLink::idleRead()
{
    HidLink &link = HidLink::instance();
    unsigned char buffer[17] = {};
    QBENCHMARK
    {
        QCOMPARE(link.read(buffer, sizeof buffer), 0);
    }
}

void BenchHidLink::query()
{
    HidLink &link = HidLink::instance();
    QBENCHMARK
    {
        protocol::Report bytes{0x02, 0x0B, 0x0C, 0x04};
        QCOMPARE(link.query(bytes), 20);
    }
}

void BenchHidLink::fullImage()
{
    HidLink &link = HidLink::instance();
    const std::uint64_t generation = link.generation();
    QBENCHMARK
    {
        protocol::Report bytes{0x02};
        for (std::size_t offset = 0; offset < FullImage; offset += 16) {
            bytes[1] = static_cast<std::uint8_t>(0x80 | (offset >> 12));
            bytes[2] = static_cast<std::uint8_t>(offset >> 4);
            bytes[3] = 16;
            if (link.sendFeatureIfGeneration(bytes, generation) != 20)
                QFAIL("chunk refused");
        }
    }
}

QTEST_GUILESS_MAIN(BenchHidLink)
#include "bench_hidlink.moc"
