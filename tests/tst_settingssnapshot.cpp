#include "settings/settingsbackup.h"
#include "settings/settingssnapshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace settingssnapshot;

namespace {

Settings sample()
{
    Settings settings;
    settings.model = QStringLiteral("RALKA");
    settings.firmwareVersion = QStringLiteral("Mar  5 2024,10:30");
    settings.paddleMode = 131; // right paddle, bite point 30
    settings.pulseWidth = 180;
    settings.clutchOn = false;
    settings.axisL = {300, 3900};
    settings.axisR = {200, 4000};
    for (std::size_t i = 0; i < settings.leds.size(); ++i)
        settings.leds[i] = static_cast<std::uint8_t>(i * 37);
    return settings;
}

QByteArray document(const QByteArray &members)
{
    return R"({"format":"NolkSet wheel settings","formatVersion":1,"model":"RALKA")" +
           (members.isEmpty() ? QByteArray() : "," + members) + "}";
}

} // namespace

class TestSettingsSnapshot : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, refusal);
        const Decoded decoded = settingssnapshot::decode(json);
        if (!refusal.isEmpty()) {
            QVERIFY(!decoded.document);
            QVERIFY2(decoded.error.contains(refusal), qPrintable(decoded.error));
            return;
        }
        QVERIFY2(decoded.document, qPrintable(decoded.error));
        QCOMPARE(decoded.document->model, QStringLiteral("RALKA"));
        QTEST(differences(sample(), apply(sample(), *decoded.document)), "changed");
    }

    // A backup read into a wheel with other settings gives back every value; a
    // pulse width the slider cannot set is left out, so the backup stays
    // restorable and the wheel keeps its own.
    void roundTrip_data()
    {
        QTest::addColumn<int>("pulseWidth");
        QTest::addColumn<int>("paddleMode");
        QTest::newRow("left 100") << 240 << 100;
        QTest::newRow("no clutch paddle") << 40 << 255;
        QTest::newRow("no pulse width") << -1 << 0;
        QTest::newRow("pulse 500") << 500 << 201;
    }

    void roundTrip()
    {
        QFETCH(int, pulseWidth);
        QFETCH(int, paddleMode);
        const bool pulseKept = pulseWidth >= 40 && pulseWidth <= 240;
        Settings original = sample();
        original.pulseWidth = pulseWidth;
        original.paddleMode = static_cast<std::uint8_t>(paddleMode);
        Settings other;
        other.pulseWidth = 77;
        const Decoded decoded = settingssnapshot::decode(encode(original));
        QVERIFY2(decoded.document, qPrintable(decoded.error));
        QCOMPARE(decoded.document->firmwareVersion, original.firmwareVersion);
        const Settings restored = apply(other, *decoded.document);
        QCOMPARE(differences(original, restored),
                 pulseKept ? QStringList() : QStringList{"encoderPulseWidthMs"});
        QCOMPARE(restored.pulseWidth, pulseKept ? pulseWidth : 77);
    }

    // Backups before an update: of one model the newest 20 stay, the oldest
    // go first; other models and the user's own files are left alone, and a
    // name the wheel made up cannot leave the folder.
    void backupFiles()
    {
        QTemporaryDir folder;
        Settings other = sample();
        other.model = QStringLiteral("DEMTA");
        const QDateTime start(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC);
        QVERIFY(!settingsbackup::save(folder.path(), other, start).isEmpty());
        const QString own = folder.filePath("RALKA-mine.json");
        QVERIFY(QFile(own).open(QIODevice::WriteOnly));
        QString last;
        for (int i = 0; i < 22; ++i)
            last = settingsbackup::save(folder.path(), sample(), start.addSecs(i));
        QCOMPARE(last, folder.filePath("RALKA-20260101-080021.json"));
        const QStringList kept =
            QDir(folder.path()).entryList({"RALKA-2*.json"}, QDir::Files, QDir::Name);
        QCOMPARE(kept.size(), 20);
        QCOMPARE(kept.first(), "RALKA-20260101-080002.json");
        QVERIFY(QFile::exists(own));
        QVERIFY(QFile::exists(folder.filePath("DEMTA-20260101-080000.json")));
        QFile saved(last);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const Decoded backup = settingssnapshot::decode(saved.readAll());
        QVERIFY(backup.document && differences(sample(), apply({}, *backup.document)).isEmpty());
        other.model = QStringLiteral("../x y");
        QCOMPARE(QFileInfo(settingsbackup::save(folder.path(), other, start)).fileName(),
                 "___x_y-20260101-080000.json");
    }
};

// Accepted rows name the settings the document changes on the sample
// wheel; refused rows the words of the refusal.
void TestSettingsSnapshot::decode_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QStringList>("changed");
    const auto accepted = [](const char *tag, const QByteArray &members,
                             const QStringList &changed) {
        QTest::newRow(tag) << document(members) << QString() << changed;
    };
    const auto refused = [](const char *tag, const QByteArray &json, const char *refusal) {
        QTest::newRow(tag) << json << QString::fromUtf8(refusal) << QStringList();
    };
    const QByteArray hex(144, 'a');
    accepted("same bite point", R"("bitePointPercent":30)", {});
    accepted("one axis", R"("axisCalibration":{"left":{"minimum":0,"maximum":65535}})",
             {"axisCalibration.left"});
    accepted("leds, upper case", R"("ledImage":")" + hex.toUpper() + "\"", {"ledImage"});
    refused("not json", "hello", "not a NolkSet settings file: ");
    refused("other json", R"({"model":"RALKA"})", "not a NolkSet settings file");
    refused("version 2", R"({"format":"NolkSet wheel settings","formatVersion":2})",
            "unknown format version 2; this NolkSet reads version 1");
    refused("no version", R"({"format":"NolkSet wheel settings"})",
            "unknown format version (none)");
    refused("no model", R"({"format":"NolkSet wheel settings","formatVersion":1})",
            "the file names no model");
    refused("unknown member", document(R"("bitepoint":3)"), "unknown member \"bitepoint\"");
    refused("bite 101", document(R"("bitePointPercent":101)"),
            "bitePointPercent must be a whole number from 0 to 100");
    refused("bite 2.5", document(R"("bitePointPercent":2.5)"),
            "bitePointPercent must be a whole number");
    refused("pulse 39", document(R"("encoderPulseWidthMs":39)"),
            "encoderPulseWidthMs must be a whole number from 40 to 240");
    refused("side both", document(R"("clutchPaddle":"both")"), "clutchPaddle must be");
    refused("clutch 1", document(R"("clutchEnabled":1)"), "clutchEnabled must be true or false");
    refused("axis 65536", document(R"("axisCalibration":{"right":{"minimum":0,"maximum":65536}})"),
            "axisCalibration.right.maximum must be a whole number from 0 to 65535");
    refused("axis half", document(R"("axisCalibration":{"left":{"minimum":1}})"),
            "axisCalibration.left.maximum");
    refused("axis name", document(R"("axisCalibration":{"middle":{}})"),
            "unknown member \"middle\" in axisCalibration");
    refused("leds short", document(R"("ledImage":")" + hex.chopped(2) + "\""),
            "ledImage must be 144 hex digits (72 bytes)");
    refused("leds not hex", document(R"("ledImage":")" + hex.chopped(1) + "g\""),
            "ledImage must be 144 hex digits");
}

QTEST_GUILESS_MAIN(TestSettingsSnapshot)
#include "tst_settingssnapshot.moc"
