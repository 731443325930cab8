// The 12-byte calibration value DirectInput keeps per paddle axis.

#include "settings/calibrationstore.h"

#include <QtTest>

class TestCalibrationValue : public QObject
{
    Q_OBJECT

private slots:
    void encoding_data();
    void encoding();
};

void TestCalibrationValue::encoding_data()
{
    QTest::addColumn<uint>("minimum");
    QTest::addColumn<uint>("maximum");
    QTest::addColumn<QByteArray>("value");
    // Minimum, centre, maximum, each 32-bit little-endian.
    QTest::newRow("300..3900") << 300u << 3900u << QByteArray::fromHex("2c010000340800003c0f0000");
    QTest::newRow("full range") << 0u << 4096u << QByteArray::fromHex("000000000008000000100000");
    QTest::newRow("odd sum rounds the centre down")
        << 1u << 4094u << QByteArray::fromHex("01000000ff070000fe0f0000");
}

void TestCalibrationValue::encoding()
{
    QFETCH(uint, minimum);
    QFETCH(uint, maximum);
    QFETCH(QByteArray, value);
    QCOMPARE(calibrationstore::encode({minimum, maximum}).toHex(), value.toHex());
    const calibrationstore::AxisRange decoded = calibrationstore::decode(value);
    QCOMPARE(decoded.minimum, minimum);
    QCOMPARE(decoded.maximum, maximum);
}

QTEST_MAIN(TestCalibrationValue)
#include "tst_calibrationvalue.moc"
