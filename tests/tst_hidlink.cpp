// The shared HID handle: its answers with and without a wheel, and its
// locking when the GUI thread, the reader and the upload use it at once while
// the wheel comes and goes.

#include "device/hidlink.h"
#include "emulator/wheelemulator.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using protocol::Report;

constexpr std::uint16_t Vendor = 0x7B3E;
constexpr std::uint16_t Ralka = 0x2007;

class TestHidLink : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        emu::reset();
        HidLink::init();
    }

    void cleanup()
    {
        HidLink::instance().close();
        QCOMPARE(emu::misuseCount(), 0);
        emu::reset();
    }

    // Transfers fail cleanly while no wheel is open (all but read share one
    // guard), and each open moves the generation on.
    void openAndClose()
    {
        HidLink &link = HidLink::instance();
        const std::uint64_t start = link.generation();
        QVERIFY(!link.open(Vendor, Ralka));
        QCOMPARE(link.generation(), start);
        Report bytes{0x02, 0x0B, 0x0D};
        QVERIFY(link.sendFeature(bytes) < 0);
        QVERIFY(link.query(bytes) < 0);
        unsigned char buffer[17] = {};
        QVERIFY(link.read(buffer, sizeof buffer) < 0);

        emu::plug(emu::Model::Ralka, Ralka);
        QVERIFY(link.open(Vendor, Ralka));
        QCOMPARE(link.generation(), start + 1);
        // One wheel at a time: a second open fails and leaves the first.
        QVERIFY(!link.open(Vendor, Ralka));
        QCOMPARE(link.generation(), start + 1);
        link.close();
        link.close();
        QVERIFY(link.sendFeature(bytes) < 0);
        QVERIFY(link.open(Vendor, Ralka));
        QCOMPARE(link.generation(), start + 2);

        // An upload started on the first wheel sends nothing to the second; no
        // transfer so far reached a wheel.
        const Report chunk{0x02, 0x80, 0x00, 0x01, 0xAA};
        QCOMPARE(link.sendFeatureIfGeneration(chunk, start + 1), -1);
        QVERIFY(emu::log().empty());
        QCOMPARE(link.sendFeatureIfGeneration(chunk, start + 2), 20);

        // A query whose send fails skips the get and leaves the report alone.
        emu::failNext(emu::Transfer::SendFeature, 1);
        QCOMPARE(link.query(bytes), -1);
        QCOMPARE(bytes, (Report{0x02, 0x0B, 0x0D}));
        QCOMPARE(emu::log().size(), std::size_t{2});
    }

    void concurrentUse()
    {
        auto wheel = emu::plug(emu::Model::Ralka, Ralka);
        emu::setLatency(emu::Transfer::SendFeature, 100us);
        emu::setLatency(emu::Transfer::GetFeature, 100us);
        HidLink &link = HidLink::instance();
        std::atomic<bool> stopping{false}, interrupted{false};
        std::atomic<int> unplugs{0}, uploads{0}, inputs{0};

        // The cable: buttons change every millisecond, and now and then the wheel
        // is unplugged and plugged back.
        std::thread cable([&] {
            for (int step = 0; !stopping; ++step) {
                wheel->setHeld(step % 64, step % 128 < 64);
                std::this_thread::sleep_for(1ms);
                if (step % 40 == 39) {
                    wheel->unplug();
                    ++unplugs;
                    std::this_thread::sleep_for(5ms);
                    wheel->replug();
                }
            }
        });

        // The upload: chunk-like reports for whichever wheel is open now.
        std::thread upload([&] {
            while (!stopping) {
                if (link.sendFeatureIfGeneration({0x02, 0x80, 0x00, 0x10}, link.generation()) > 0)
                    ++uploads;
                std::this_thread::yield();
            }
        });

        // The input reader as the program runs it: non-blocking reads, and on a
        // failed read it closes the wheel itself and ends.
        const auto readInputs = [&] {
            unsigned char buffer[17] = {};
            link.setNonBlocking(true);
            int n = 0;
            while (!interrupted && (n = link.read(buffer, sizeof buffer)) >= 0) {
                inputs += n > 0 ? 1 : 0;
                std::this_thread::sleep_for(n > 0 ? 0ms : 1ms);
            }
            link.close();
        };

        // The GUI thread: queries and sends, and reopens the wheel after
        // stopping the reader, as onInit does.
        const std::vector<Report> queries{{0x02, 0x0B, 0x0C, 0x04}, {0x02, 0x0B, 0x0D}};
        std::thread reader;
        int answered = 0, reopened = 0;
        const auto end = std::chrono::steady_clock::now() + 3s;
        for (std::size_t round = 0; std::chrono::steady_clock::now() < end; ++round) {
            if (!link.isOpen() || round % 500 == 499) {
                interrupted = true;
                if (reader.joinable())
                    reader.join();
                interrupted = false;
                link.close();
                if (!link.open(Vendor, Ralka)) {
                    std::this_thread::sleep_for(1ms);
                    continue;
                }
                ++reopened;
                reader = std::thread(readInputs);
            }
            Report bytes = queries[round % queries.size()];
            answered += link.query(bytes) > 0 ? 1 : 0;
            link.sendFeature({0x02, 0x0C, 0x04, std::uint8_t(40 + round % 200)});
            link.write({0x03, std::uint8_t(round % 4)});
        }
        interrupted = true;
        if (reader.joinable())
            reader.join();
        stopping = true;
        cable.join();
        upload.join();

        QVERIFY2(answered > 100 && unplugs > 5 && reopened > 5 && inputs > 100 && uploads > 0,
                 qPrintable(QString::asprintf(
                     "%d answered, %d unplugs, %d opens, %d inputs, %d chunks", answered,
                     unplugs.load(), reopened, inputs.load(), uploads.load())));

        // Every query that went out is followed directly by its get, from the
        // same thread, whose answer echoes it; as many gets as queries means no
        // get came at another time.
        std::vector<emu::LogEntry> log = emu::log();
        log.erase(
            std::remove_if(log.begin(), log.end(),
                           [](const emu::LogEntry &e) { return e.kind == emu::Transfer::Read; }),
            log.end());
        int gets = 0, queriesSent = 0, checked = 0;
        for (std::size_t i = 0; i < log.size(); ++i) {
            gets += log[i].kind == emu::Transfer::GetFeature ? 1 : 0;
            if (log[i].kind != emu::Transfer::SendFeature || log[i].bytes[1] != 0x0B ||
                log[i].result < 0)
                continue;
            ++queriesSent;
            QVERIFY(i + 1 < log.size());
            const emu::LogEntry &answer = log[i + 1];
            QCOMPARE(answer.kind, emu::Transfer::GetFeature);
            QCOMPARE(answer.thread, log[i].thread);
            // The answer carries the queried item in byte 1, and for a
            // parameter query the parameter in byte 2.
            const std::vector<std::uint8_t> &sent = log[i].bytes, &got = answer.bytes;
            QVERIFY(answer.result < 0 ||
                    (got[1] == sent[2] && (sent[2] != 0x0C || got[2] == sent[3])));
            checked += answer.result > 0 ? 1 : 0;
        }
        QCOMPARE(gets, queriesSent);
        QCOMPARE(checked, answered);
    }
};

QTEST_GUILESS_MAIN(TestHidLink)
#include "tst_hidlink.moc"
