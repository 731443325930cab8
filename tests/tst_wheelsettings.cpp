#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "settings/calibrationstore.h"
#include "support/debugcapture.h"
#include "support/findwidget.h"
#include "support/testenv.h"
#include "support/transfers.h"
#include "support/windowfixture.h"
#include "support/windowlook.h"

#include <QPushButton>
#include <QSettings>
#include <QTest>

// The paddle axis calibration store in the test's folder, and the LED colours
// on the emulated wheel.

namespace {

using Nibbles = QList<int>;

const QString NotSaved = QStringLiteral("Error|Can not save setting.");

using testenv::calibrationKey;
using testenv::directInput;

// The red, green and blue values a slot has in an image, 4 bits each.
Nibbles slotNibbles(const emu::LedImage &image, int slot)
{
    Nibbles values;
    for (int channel = 3 * slot; channel < 3 * slot + 3; ++channel)
        values << ((image[channel / 2] >> (channel % 2 ? 4 : 0)) & 0xF);
    return values;
}

using windowlook::buttonColor;

// The reports sent, LED output reports by their report id and block only.
QByteArrayList heads()
{
    QByteArrayList result;
    for (const QByteArray &sent : sentReports())
        result << (sent.startsWith("03") ? sent.left(5) + (sent.endsWith("failed") ? " failed" : "")
                                         : sent);
    return result;
}

const QByteArrayList LedBlocks{"03 00", "03 01", "03 03", "03 02"};

} // namespace

class TestWheelSettings : public WindowTest
{
    Q_OBJECT

private slots:
    // Axis 3 of product 0x2007 after a value was put in the store, which must
    // answer as the registry does; a save then replaces whatever was there. The
    // value holds minimum, centre (rounded down) and maximum, 32-bit little-endian.
    void calibrationStore_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("range");

        const QString own = calibrationKey(0x2007, 3);
        const QByteArray full = QByteArray::fromHex("2c010000340800003c0f0000");
        QTest::newRow("other product id")
            << calibrationKey(0x2008, 3) << QVariant(full) << "0-4096";
        QTest::newRow("12 bytes") << own << QVariant(full) << "300-3900";
        QTest::newRow("8 bytes") << own << QVariant(full.left(8)) << "300-0";
        QTest::newRow("13 bytes") << own << QVariant(full + '\1') << "0-4096";
        QTest::newRow("text") << own << QVariant(QString::fromLatin1(full)) << "0-4096";
    }

    void calibrationStore()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, value);
        directInput().setValue(key, value);
        const calibrationstore::AxisRange read = calibrationstore::load(0x2007, 3);
        QTEST(QStringLiteral("%1-%2").arg(read.minimum).arg(read.maximum), "range");

        QVERIFY(calibrationstore::save(0x2007, 3, {300, 3900}));
        QVERIFY(calibrationstore::save(0x2008, 3, {1, 4094}));
        QCOMPARE(directInput().value(calibrationKey(0x2007, 3)).toByteArray().toHex(' '),
                 QByteArray("2c 01 00 00 34 08 00 00 3c 0f 00 00"));
        QCOMPARE(directInput().value(calibrationKey(0x2008, 3)).toByteArray().toHex(' '),
                 QByteArray("01 00 00 00 ff 07 00 00 fe 0f 00 00"));
        QCOMPARE(calibrationstore::load(0x2008, 3).maximum, 4094u);
    }

    // A colour picked on RALKA, whose small dots are hidden, with a stored image
    // of mixed colours: what the button shows and what the wheel gets at once.
    // Every other slot goes out as the wheel stored it, slots 43 to 47 fully lit.
    void ledPick_data()
    {
        QTest::addColumn<bool>("adjustWhite");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QColor>("picked");
        QTest::addColumn<QString>("painted"); // empty: unchanged
        QTest::addColumn<QList<int>>("ledSlots");
        QTest::addColumn<Nibbles>("sent");

        const QColor white(255, 255, 255);
        const QString shownWhite = QStringLiteral("rgb(255,255,255)");
        QTest::newRow("white on hidden pbT1")
            << true << "pbT1" << white << shownWhite << QList<int>{26} << Nibbles{15, 15, 15};
        QTest::newRow("white, correction off")
            << false << "pbB14" << white << shownWhite << QList<int>{11} << Nibbles{15, 15, 15};
        QTest::newRow("corrected white is white")
            << true << "pbB6" << QColor(86, 255, 173) << shownWhite << QList<int>{10}
            << Nibbles{8, 15, 12};
        QTest::newRow("pbD13 is three slots")
            << true << "pbD13" << QColor(255, 0, 100) << "rgb(255,0,100)" << QList<int>{12, 14, 16}
            << Nibbles{15, 0, 6};
        QTest::newRow("cancelled")
            << true << "pbTR1" << QColor() << "" << QList<int>{} << Nibbles{};
    }

    void ledPick()
    {
        QFETCH(bool, adjustWhite);
        QFETCH(QString, button);
        QFETCH(QColor, picked);
        QFETCH(QString, painted);
        QFETCH(QList<int>, ledSlots);
        QFETCH(Nibbles, sent);
        QSettings("Nolk Controls", "NolkSet").setValue("ENABLE_ADJUST_WHITE", adjustWhite);
        auto wheel = emu::plug(emu::Model::Ralka);
        emu::LedImage stored;
        for (std::size_t k = 0; k < stored.size(); ++k)
            stored[k] = static_cast<std::uint8_t>(k * 29 + 7);
        wheel->setStoredLeds(stored);
        DebugCapture debug;
        MainWindow &window = connectWindow();
        const QString before = buttonColor(window, button);
        emu::clearLog();

        if (picked.isValid())
            dialogs::script::queueColor(picked);
        child<QPushButton>(window, qPrintable(button))->click();
        QCOMPARE(dialogs::script::colorDialogs(), 1);
        QCOMPARE(buttonColor(window, button), painted.isEmpty() ? before : painted);
        QCOMPARE(heads(), picked.isValid() ? LedBlocks : QByteArrayList());
        if (!picked.isValid())
            return;
        const emu::LedImage live = wheel->liveLeds();
        for (int slot = 0; slot < 48; ++slot) {
            // A button of three slots shows, and so sends, the last of them.
            const int shown = slot >= 12 && slot < 24 ? (slot < 18 ? 16 : 22) + slot % 2 : slot;
            const Nibbles expected = ledSlots.contains(slot) ? sent
                                     : slot < 43             ? slotNibbles(stored, shown)
                                                             : Nibbles{15, 15, 15};
            QVERIFY2(slotNibbles(live, slot) == expected, qPrintable(QString::number(slot)));
        }
        const QByteArray image(reinterpret_cast<const char *>(live.data()), live.size());
        QCOMPARE(debug.count(QString::fromLatin1(image.toHex(' '))), 1);
    }

    // "Save Setting" after a pick: the four blocks, then the store command; a
    // report the wheel did not take means the colours were not saved. What the
    // wheel kept comes back at the next connection.
    void ledSave_data()
    {
        QTest::addColumn<int>("failKind"); // -1: none
        QTest::addColumn<QByteArrayList>("sent");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("back");

        const QByteArrayList stored = LedBlocks + QByteArrayList{report("02 0e")};
        const QString white = QStringLiteral("rgb(255,255,255)");
        QTest::newRow("saved") << -1 << stored << "Success|LED colors saved."
                               << "rgb(4,4,4)";
        QTest::newRow("store command fails")
            << int(emu::Transfer::SendFeature)
            << LedBlocks + QByteArrayList{report("02 0e") + " failed"} << NotSaved << white;
        QTest::newRow("block not taken, nothing stored")
            << int(emu::Transfer::Write)
            << QByteArrayList{"03 00 failed", "03 01", "03 03", "03 02"} << NotSaved << white;
    }

    void ledSave()
    {
        QFETCH(int, failKind);
        auto wheel = emu::plug(emu::Model::Demta);
        MainWindow &window = connectWindow();
        dialogs::script::queueColor(QColor(31, 31, 31));
        child<QPushButton>(window, "pbB3")->click();

        emu::clearLog();
        if (failKind >= 0)
            emu::failNext(emu::Transfer(failKind), 1);
        child<QPushButton>(window, "pbSave")->click();
        QTEST(heads(), "sent");
        QTEST(windowfixture::shownBoxes().join(' '), "shown");

        wheel->unplug();
        QTRY_VERIFY(windowlook::isWaiting(window));
        wheel->replug();
        QTRY_VERIFY(windowlook::isConnected(window));
        QTEST(buttonColor(window, "pbB3"), "back");
    }
};

QTEST_MAIN(TestWheelSettings)
#include "tst_wheelsettings.moc"
