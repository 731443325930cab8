#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "settings/calibrationstore.h"
#include "support/findwidget.h"
#include "support/testenv.h"
#include "support/transfers.h"
#include "support/windowlook.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>

namespace {

using calibrationstore::AxisRange;

QSettings directInput()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Nolk Controls", "DirectInput");
}

QString settingsKey(int productId, int axis, const char *value = "Calibration")
{
    return QStringLiteral("System/CurrentControlSet/Control/MediaProperties/PrivateProperties/"
                          "DirectInput/VID_7B3E&PID_%1/Calibration/0/Type/Axes/%2/%3")
        .arg(productId, 4, 16, QLatin1Char('0'))
        .arg(axis)
        .arg(QLatin1String(value));
}

QByteArray kept(int productId, int axis)
{
    return directInput().value(settingsKey(productId, axis)).toByteArray().toHex(' ');
}

QString range(QWidget &window, const char *bar)
{
    const auto *progress = child<QProgressBar>(window, bar);
    return QStringLiteral("%1-%2").arg(progress->minimum()).arg(progress->maximum());
}

} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testenv::isolate(); }
    void cleanup();

    void storeReadsLikeRegistry_data();
    void storeReadsLikeRegistry();
    void keptPerProductAndAxis();
    void calibrationWithoutReports_data();
    void calibrationWithoutReports();
};

void TestCalibration::cleanup()
{
    emu::reset();
    testenv::clearSettings();
    directInput().clear();
}

// What axis 3 of product 0x2007 reads as after a value was put somewhere.
void TestCalibration::storeReadsLikeRegistry_data()
{
    QTest::addColumn<int>("productId");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<uint>("minimum");
    QTest::addColumn<uint>("maximum");

    const QString own = QStringLiteral("Calibration");
    const QByteArray full = QByteArray::fromHex("2c010000340800003c0f0000");
    QTest::newRow("absent key") << 0x2007 << own << QVariant() << 0u << 4096u;
    QTest::newRow("other product id") << 0x2008 << own << QVariant(full) << 0u << 4096u;
    QTest::newRow("other value name") << 0x2007 << "Other" << QVariant(full) << 0u << 4096u;
    QTest::newRow("12 bytes") << 0x2007 << own << QVariant(full) << 300u << 3900u;
    QTest::newRow("8 bytes, maximum 0") << 0x2007 << own << QVariant(full.left(8)) << 300u << 0u;
    QTest::newRow("empty binary") << 0x2007 << own << QVariant(QByteArray()) << 0u << 0u;
    QTest::newRow("13 bytes") << 0x2007 << own << QVariant(full + '\1') << 0u << 4096u;
    QTest::newRow("text") << 0x2007 << own << QVariant(QString::fromLatin1(full.toHex())) << 0u
                          << 4096u;
    QTest::newRow("number") << 0x2007 << own << QVariant(300) << 0u << 4096u;
}

void TestCalibration::storeReadsLikeRegistry()
{
    QFETCH(int, productId);
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    QFETCH(uint, minimum);
    QFETCH(uint, maximum);
    if (value.isValid())
        directInput().setValue(settingsKey(productId, 3, qPrintable(name)), value);

    const AxisRange read = calibrationstore::load(0x2007, 3);
    QCOMPARE(read.minimum, minimum);
    QCOMPARE(read.maximum, maximum);
}

void TestCalibration::keptPerProductAndAxis()
{
    QCOMPARE(calibrationstore::keyPath(0x2007, 3),
             QStringLiteral("System\\CurrentControlSet\\Control\\MediaProperties\\"
                            "PrivateProperties\\DirectInput\\VID_7B3E&PID_2007\\Calibration\\0\\"
                            "Type\\Axes\\3"));
    QVERIFY(calibrationstore::save(0x2007, 3, {300, 3900}));
    QVERIFY(calibrationstore::save(0x2008, 3, {10, 20}));
    QVERIFY(calibrationstore::save(0x2007, 2, {4095, 4096}));
    QCOMPARE(kept(0x2007, 3), QByteArray("2c 01 00 00 34 08 00 00 3c 0f 00 00"));
    QCOMPARE(kept(0x2007, 2), QByteArray("ff 0f 00 00 ff 0f 00 00 00 10 00 00"));
    QCOMPARE(calibrationstore::load(0x2008, 3).maximum, 20u);
    QCOMPARE(calibrationstore::load(0x2007, 3).minimum, 300u);
    QCOMPARE(calibrationstore::load(0x2009, 3).maximum, 4096u);
}

// With no input report during a calibration the extremes stay where its start
// put them; the end writes them all the same, and nothing goes to the wheel.
void TestCalibration::calibrationWithoutReports_data()
{
    QTest::addColumn<bool>("left");
    QTest::addColumn<bool>("right");
    QTest::newRow("L") << true << false;
    QTest::newRow("R") << false << true;
    QTest::newRow("both at once") << true << true;
}

void TestCalibration::calibrationWithoutReports()
{
    QFETCH(bool, left);
    QFETCH(bool, right);
    struct Axis
    {
        const char *button;
        const char *bar;
        int number;
        bool used;
    };
    const Axis axes[] = {{"pbCalL", "pgAdcL", 3, left}, {"pbCalR", "pgAdcR", 2, right}};

    emu::plug(emu::Model::Sovin, 0x2008);
    {
        MainWindow window;
        QTRY_VERIFY(windowlook::isConnected(window));
        emu::clearLog();
        for (const Axis &axis : axes) {
            if (!axis.used)
                continue;
            child<QPushButton>(window, axis.button)->click();
            QCOMPARE(child<QPushButton>(window, axis.button)->text(), QStringLiteral("SAVE"));
            QCOMPARE(range(window, axis.bar), QStringLiteral("0-4096"));
        }
        for (const Axis &axis : axes) {
            if (!axis.used)
                continue;
            child<QPushButton>(window, axis.button)->click();
            QCOMPARE(child<QPushButton>(window, axis.button)->text(), QStringLiteral("CALIBRATE"));
            QCOMPARE(range(window, axis.bar), QStringLiteral("4096-4096"));
        }
        QCOMPARE(sentReports(), QByteArrayList());
    }

    // The next start of the program reads the calibration back.
    MainWindow restarted;
    QTRY_VERIFY(windowlook::isConnected(restarted));
    for (const Axis &axis : axes) {
        QCOMPARE(kept(0x2008, axis.number),
                 axis.used ? QByteArray("00 10 00 00 00 08 00 00 00 00 00 00") : QByteArray());
        QCOMPARE(range(restarted, axis.bar),
                 axis.used ? QStringLiteral("4096-4096") : QStringLiteral("0-4096"));
    }
}

QTEST_MAIN(TestCalibration)
#include "tst_calibration.moc"
