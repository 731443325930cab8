#include "settings/settingssnapshot.h"

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
    void decode();
    void roundTrip_data();
    void roundTrip();
};

// Accepted rows name the settings the document changes on the sample wheel;
// refused rows the words of the refusal.
void TestSettingsSnapshot::decode_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QStringList>("changed");
    const QString led = QStringLiteral("ledImage");
    const QByteArray hex = QByteArray(144, 'a');
    QTest::newRow("nothing named") << document({}) << QString() << QStringList();
    QTest::newRow("pulse width") << document(R"("encoderPulseWidthMs":40)") << QString()
                                 << QStringList{"encoderPulseWidthMs"};
    QTest::newRow("same bite point")
        << document(R"("bitePointPercent":30)") << QString() << QStringList();
    QTest::newRow("side") << document(R"("clutchPaddle":"left")") << QString()
                          << QStringList{"clutchPaddle/bitePointPercent"};
    QTest::newRow("one axis") << document(
                                     R"("axisCalibration":{"left":{"minimum":0,"maximum":65535}})")
                              << QString() << QStringList{"axisCalibration.left"};
    QTest::newRow("leds, upper case")
        << document(R"("ledImage":")" + hex.toUpper() + "\"") << QString() << QStringList{led};
    QTest::newRow("not json") << QByteArray("hello")
                              << "not a NolkSet settings file: " << QStringList();
    QTest::newRow("truncated") << document(R"("clutchEnabled":true)").chopped(5)
                               << "not a NolkSet settings file: " << QStringList();
    QTest::newRow("other json") << QByteArray(R"({"model":"RALKA"})")
                                << "not a NolkSet settings file" << QStringList();
    QTest::newRow("array") << QByteArray("[1]") << "not a NolkSet settings file" << QStringList();
    QTest::newRow("version 2") << QByteArray(
                                      R"({"format":"NolkSet wheel settings","formatVersion":2})")
                               << "unknown format version 2; this NolkSet reads version 1"
                               << QStringList();
    QTest::newRow("no version") << QByteArray(R"({"format":"NolkSet wheel settings"})")
                                << "unknown format version (none)" << QStringList();
    QTest::newRow("no model") << QByteArray(
                                     R"({"format":"NolkSet wheel settings","formatVersion":1})")
                              << "the file names no model" << QStringList();
    QTest::newRow("unknown member")
        << document(R"("bitepoint":3)") << "unknown member \"bitepoint\"" << QStringList();
    QTest::newRow("bite 101") << document(R"("bitePointPercent":101)")
                              << "bitePointPercent must be a whole number from 0 to 100"
                              << QStringList();
    QTest::newRow("bite 2.5") << document(R"("bitePointPercent":2.5)")
                              << "bitePointPercent must be a whole number" << QStringList();
    QTest::newRow("bite as text") << document(R"("bitePointPercent":"5")")
                                  << "bitePointPercent must be a whole number" << QStringList();
    QTest::newRow("pulse 39") << document(R"("encoderPulseWidthMs":39)")
                              << "encoderPulseWidthMs must be a whole number from 40 to 240"
                              << QStringList();
    QTest::newRow("pulse 241") << document(R"("encoderPulseWidthMs":241)") << "from 40 to 240"
                               << QStringList();
    QTest::newRow("side both") << document(R"("clutchPaddle":"both")") << "clutchPaddle must be"
                               << QStringList();
    QTest::newRow("clutch 1") << document(R"("clutchEnabled":1)")
                              << "clutchEnabled must be true or false" << QStringList();
    QTest::newRow("axis 65536")
        << document(R"("axisCalibration":{"right":{"minimum":0,"maximum":65536}})")
        << "axisCalibration.right.maximum must be a whole number from 0 to 65535" << QStringList();
    QTest::newRow("axis -1") << document(R"("axisCalibration":{"left":{"minimum":-1,"maximum":5}})")
                             << "axisCalibration.left.minimum" << QStringList();
    QTest::newRow("axis half") << document(R"("axisCalibration":{"left":{"minimum":1}})")
                               << "axisCalibration.left.maximum" << QStringList();
    QTest::newRow("axis name") << document(R"("axisCalibration":{"middle":{}})")
                               << "unknown member \"middle\" in axisCalibration" << QStringList();
    QTest::newRow("leds short") << document(R"("ledImage":")" + hex.chopped(2) + "\"")
                                << "ledImage must be 144 hex digits (72 bytes)" << QStringList();
    QTest::newRow("leds not hex") << document(R"("ledImage":")" + hex.chopped(1) + "g\"")
                                  << "ledImage must be 144 hex digits" << QStringList();
}

void TestSettingsSnapshot::decode()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, refusal);
    QFETCH(QStringList, changed);
    const Decoded decoded = settingssnapshot::decode(json);
    if (!refusal.isEmpty()) {
        QVERIFY(!decoded.document);
        QVERIFY2(decoded.error.contains(refusal), qPrintable(decoded.error));
        return;
    }
    QVERIFY2(decoded.document, qPrintable(decoded.error));
    QCOMPARE(decoded.document->model, QStringLiteral("RALKA"));
    QCOMPARE(differences(sample(), apply(sample(), *decoded.document)), changed);
}

// A backup read into a wheel with other settings gives back every value; a
// pulse width the slider cannot set is left out, so the backup stays
// restorable and the wheel keeps its own.
void TestSettingsSnapshot::roundTrip_data()
{
    QTest::addColumn<int>("pulseWidth");
    QTest::addColumn<int>("paddleMode");
    QTest::addColumn<bool>("pulseKept");
    QTest::newRow("all values") << 180 << 131 << true;
    QTest::newRow("left 100") << 240 << 100 << true;
    QTest::newRow("no clutch paddle") << 40 << 255 << true;
    QTest::newRow("no pulse width") << -1 << 0 << false;
    QTest::newRow("pulse 500") << 500 << 201 << false;
}

void TestSettingsSnapshot::roundTrip()
{
    QFETCH(int, pulseWidth);
    QFETCH(int, paddleMode);
    QFETCH(bool, pulseKept);
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

QTEST_GUILESS_MAIN(TestSettingsSnapshot)
#include "tst_settingssnapshot.moc"
