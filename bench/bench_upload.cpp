// How fast the upload thread streams a full-size image: with no transfer
// latency (the thread's own cost per chunk), and with 1 ms per feature
// transfer as a full-speed USB wheel takes, against the 14,336 ms that the
// transfers alone need.

#include "device/delays.h"
#include "bench/benchresult.h"
#include "device/hidlink.h"
#include "emulator/wheelemulator.h"
#include "firmware/nolkupgrade.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <atomic>

namespace {

using namespace std::chrono_literals;

constexpr std::uint16_t Ralka = 0x2007;
constexpr int FullImage = 229376;
constexpr int Chunks = FullImage / 16;

} // namespace

class BenchUpload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void noLatency();
    void oneMillisecondPerTransfer();

private:
    // From start() to the first writing step: every chunk and the image end.
    double streamMs();
    // The same transfers sent back to back without the thread.
    double bareTransfersMs();

    QTemporaryDir folder;
    QString path;
};

void BenchUpload::initTestCase()
{
    // No writing wait after the stream: it is the wheel's time, not ours.
    delays::setTestDivisor(1000000);
    HidLink::init();
    QVERIFY(folder.isValid());
    path = folder.filePath(QStringLiteral("full.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray image(FullImage, '\0');
    for (int i = 0; i < FullImage; ++i)
        image[i] = static_cast<char>(i * 7);
    QCOMPARE(file.write(image), qint64(FullImage));
}

void BenchUpload::init()
{
    emu::reset();
    emu::setLogEnabled(false);
    emu::setFirmwareTiming({0ms, 0ms});
    emu::plug(emu::Model::Ralka, Ralka);
    QVERIFY(HidLink::instance().open(0x7B3E, Ralka));
}

void BenchUpload::cleanup()
{
    HidLink::instance().close();
    emu::reset();
}

double BenchUpload::streamMs()
{
    NolkUpgrade upload;
    upload.path = path;
    QElapsedTimer clock;
    std::atomic<qint64> streamedNs{-1};
    connect(
        &upload, &NolkUpgrade::progress, &upload,
        [&](int value) {
            if (value >= 97 && streamedNs.load() < 0)
                streamedNs.store(clock.nsecsElapsed());
        },
        Qt::DirectConnection);
    clock.start();
    upload.start();
    upload.wait();
    const qint64 ns = streamedNs.load();
    if (ns < 0)
        qFatal("the upload did not finish");
    return ns / 1e6;
}

double BenchUpload::bareTransfersMs()
{
    HidLink &link = HidLink::instance();
    const std::uint64_t generation = link.generation();
    protocol::Report report{0x02};
    QElapsedTimer clock;
    clock.start();
    for (int chunk = 0; chunk <= Chunks; ++chunk) {
        report[1] = static_cast<std::uint8_t>(chunk == Chunks ? 0x10 : 0x80 | (chunk >> 8));
        report[2] = static_cast<std::uint8_t>(chunk);
        report[3] = 16;
        if (link.sendFeatureIfGeneration(report, generation) < 0)
            qFatal("transfer refused");
    }
    return clock.nsecsElapsed() / 1e6;
}

void BenchUpload::noLatency()
{
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        best = std::min(best, streamMs());
        // Let the wheel take the next image.
        cleanup();
        init();
    }
    qInfo("no latency: %d chunks in %.2f ms, %.0f chunks per second", Chunks, best,
          Chunks / best * 1000);
}

void BenchUpload::oneMillisecondPerTransfer()
{
    emu::setLatency(emu::Transfer::SendFeature, 1ms);
    const double streamed = streamMs();
    const double transfersAlone = Chunks * 1.0;
    qInfo("1 ms per transfer: %.0f ms against %.0f ms for %d transfers, ratio %.4f", streamed,
          transfersAlone, Chunks, streamed / transfersAlone);
    const double ratio = streamed / transfersAlone;
    bench::result("firmware stream at 1 ms per transfer", streamed, "ms", "within 1 % of 14,336 ms",
                  ratio, ratio <= 1.01);
    cleanup();
    init();
    emu::setLatency(emu::Transfer::SendFeature, 1ms);
    const double bare = bareTransfersMs();
    qInfo("the same %d transfers back to back without the thread: %.0f ms; the thread adds "
          "%.2f %%",
          Chunks + 1, bare, (streamed - bare) / bare * 100);
}

QTEST_GUILESS_MAIN(BenchUpload)
#include "bench_upload.moc"
