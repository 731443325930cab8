#include "device/hidlink.h"
#include "emulator/wheelemulator.h"
#include "firmware/nolkupgrade.h"
#include "support/firmwareimage.h"
#include "support/testenv.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

using namespace std::chrono_literals;

// Collects the upload's progress on the test's thread, as the window does.
struct Receiver : QObject
{
    explicit Receiver(NolkUpgrade &upload)
    {
        connect(&upload, &NolkUpgrade::progress, this, [this](int value) { values.append(value); });
        connect(&upload, &QThread::finished, this, [this] { finished = true; });
    }
    QList<int> values;
    bool finished = false;
};

QList<int> range(int from, int to)
{
    QList<int> values;
    for (int value = from; value <= to; ++value)
        values.append(value);
    return values;
}

} // namespace

class TestNolkUpgrade : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    std::shared_ptr<emu::Wheel> wheel;

    QString imageFile(const QByteArray &image)
    {
        const QString path = folder.filePath(QStringLiteral("image.bin"));
        if (!firmwareimage::write(path, image))
            qFatal("cannot write the image file");
        return path;
    }

private slots:
    void initTestCase()
    {
        testenv::isolate();
        HidLink::init();
    }
    void init()
    {
        emu::setFirmwareTiming({20ms, 20ms});
        wheel = emu::plug(emu::Model::Ralka, 0x2007);
        QVERIFY(HidLink::instance().open(0x7B3E, 0x2007));
    }
    void cleanup()
    {
        QCOMPARE(emu::misuseCount(), 0);
        HidLink::instance().close();
        wheel.reset();
        emu::reset();
    }

    // The progress, and the end report: one buffer serves the whole image, so
    // it repeats the last chunk's number, count and bytes, and bytes behind a
    // short chunk are the previous chunk's.
    void stream_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("streamed");
        QTest::addColumn<QByteArray>("end");
        QTest::newRow("40 bytes") << 40 << QList<int>{0, 38, 76}
                                  << QByteArray("02100208e3eaf1f8ff060d14aab1b8bfc6cdd4db");
        QTest::newRow("empty") << 0 << QList<int>{} << QByteArray("0210" + QByteArray(36, '0'));
        QTest::newRow("17 bytes") << 17 << QList<int>{0, 90}
                                  << QByteArray("0210010172080f161d242b323940474e555c636a");
        QTest::newRow("229,376 bytes")
            << 229376 << range(0, 95) << QByteArray("0210ff1090979ea5acb3bac1c8cfd6dde4ebf2f9");
    }
    void stream()
    {
        QFETCH(int, size);
        QFETCH(QList<int>, streamed);
        const QByteArray image = firmwareimage::make(size);
        NolkUpgrade upload;
        upload.path = imageFile(image);
        Receiver receiver(upload);
        upload.start();
        QTRY_VERIFY_WITH_TIMEOUT(receiver.finished, 10000);
        QCOMPARE(receiver.values, streamed + range(97, 100));

        const std::vector<emu::LogEntry> reports = firmwareimage::imageReports();
        QCOMPARE(reports.size(), std::size_t((size + 15) / 16 + 1));
        const std::vector<std::uint8_t> &end = reports.back().bytes;
        QTEST(QByteArray(reinterpret_cast<const char *>(end.data()), int(end.size())).toHex(),
              "end");

        // The wheel assembles exactly the file; it refuses an image of nothing.
        const std::vector<std::uint8_t> received = wheel->lastImage();
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(received.data()), int(received.size())),
                 image);
        QCOMPARE(wheel->imagesRejected(), size == 0 ? 1 : 0);
    }

    // 1,024 chunks, then the end report. An upload that cannot start says and
    // sends nothing; one cut short ends its rising progress on one negative
    // value, without writing steps.
    void stops_data()
    {
        QTest::addColumn<QString>("interruption");
        QTest::addColumn<int>("after");
        QTest::newRow("no wheel open") << "no wheel" << 0;
        QTest::newRow("no such file") << "no file" << 0;
        QTest::newRow("first chunk refused") << "refused" << 0;
        QTest::newRow("chunk 501 refused") << "refused" << 500;
        QTest::newRow("end report refused") << "refused" << 1024;
        QTest::newRow("wheel unplugged") << "unplug" << 100;
        QTest::newRow("second wheel opened") << "second wheel" << 100;
    }
    void stops()
    {
        QFETCH(QString, interruption);
        QFETCH(int, after);
        const bool starts = !interruption.startsWith("no ");
        const bool refused = interruption == "refused";
        emu::plug(emu::Model::Demta, 0x2008);
        if (interruption == "no wheel")
            HidLink::instance().close();
        if (refused)
            emu::failFrom(emu::Transfer::SendFeature, after);
        else
            emu::setLatency(emu::Transfer::SendFeature, 2ms);

        NolkUpgrade upload;
        upload.path = interruption == "no file" ? folder.filePath(QStringLiteral("missing.bin"))
                                                : imageFile(firmwareimage::make(16384));
        Receiver receiver(upload);
        upload.start();
        if (starts && !refused) {
            QTRY_VERIFY(firmwareimage::imageReports().size() >= std::size_t(after));
            if (interruption == "unplug") {
                wheel->unplug();
            } else {
                HidLink::instance().close();
                QVERIFY(HidLink::instance().open(0x7B3E, 0x2008));
            }
        }
        QTRY_VERIFY_WITH_TIMEOUT(receiver.finished, 10000);

        QCOMPARE(receiver.values.isEmpty(), !starts);
        QVERIFY(starts || emu::log().empty());
        QVERIFY(!starts || receiver.values.back() < 0);
        for (int i = 0; i + 1 < receiver.values.size(); ++i)
            QVERIFY(receiver.values[i] >= 0 && receiver.values[i] < 96);

        // Nothing after the failed report, no image end taken, nothing for the
        // wheel that was not there at the start.
        const std::vector<emu::LogEntry> reports = firmwareimage::imageReports();
        for (std::size_t i = 0; i + 1 < reports.size(); ++i) {
            QCOMPARE(reports[i].result, 20);
            QVERIFY(!firmwareimage::isEnd(reports[i]));
            QCOMPARE(reports[i].productId, std::uint16_t{0x2007});
        }
        if (refused) {
            QCOMPARE(reports.size(), std::size_t(after + 1));
            QCOMPARE(reports.back().result, -1);
        }
        QVERIFY(firmwareimage::imageReports(0x2008).empty());
    }
};

QTEST_MAIN(TestNolkUpgrade)
#include "tst_nolkupgrade.moc"
