#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "support/debugcapture.h"
#include "support/findwidget.h"
#include "support/testenv.h"
#include "support/transfers.h"
#include "support/windowlook.h"

#include <QPushButton>
#include <QSettings>
#include <QTest>

namespace {

using Nibbles = QList<int>;

// The red, green and blue channel values of a slot as the wheel keeps them.
Nibbles slotNibbles(const emu::LedImage &image, int slot)
{
    Nibbles values;
    for (int channel = 3 * slot; channel < 3 * slot + 3; ++channel)
        values << ((image[channel / 2] >> (channel % 2 ? 4 : 0)) & 0xF);
    return values;
}

QString shown(QWidget &window, const QString &button)
{
    const QString style = child<QPushButton>(window, qPrintable(button))->styleSheet();
    const qsizetype start = style.indexOf(QLatin1String("rgb("));
    return style.mid(start, style.indexOf(QLatin1Char(')'), start) - start + 1);
}

// The first two bytes of each report sent: report id and block or op.
QByteArrayList heads()
{
    QByteArrayList result;
    for (const QByteArray &sent : sentReports())
        result << sent.left(5) + (sent.endsWith("failed") ? " failed" : "");
    return result;
}

const QByteArrayList LedBlocks{"03 00", "03 01", "03 03", "03 02"};

} // namespace

class TestLedColours : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testenv::isolate(); }
    void cleanup();

    void pick_data();
    void pick();
    void save_data();
    void save();
    void savedColoursComeBack();
    void hiddenDotsStillSent();
};

void TestLedColours::cleanup()
{
    emu::reset();
    testenv::clearSettings();
    dialogs::script::reset();
}

// A colour picked on a button of the wheel's all-white LEDs: what the button
// shows and what the wheel gets at once, with its own slots and the others.
void TestLedColours::pick_data()
{
    QTest::addColumn<bool>("adjustWhite");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QColor>("picked");
    QTest::addColumn<QString>("painted");
    QTest::addColumn<QList<int>>("ledSlots");
    QTest::addColumn<Nibbles>("sent");

    const QColor white(255, 255, 255);
    const QString shownWhite = QStringLiteral("rgb(255,255,255)");
    QTest::newRow("white on pbB1")
        << true << "pbB1" << white << shownWhite << QList<int>{0} << Nibbles{8, 15, 12};
    QTest::newRow("white on pbT1")
        << true << "pbT1" << white << shownWhite << QList<int>{26} << Nibbles{15, 15, 15};
    QTest::newRow("white, correction off")
        << false << "pbB14" << white << shownWhite << QList<int>{11} << Nibbles{15, 15, 15};
    QTest::newRow("corrected white shown white")
        << true << "pbB6" << QColor(86, 255, 173) << shownWhite << QList<int>{10}
        << Nibbles{8, 15, 12};
    QTest::newRow("cut to high bits") << true << "pbD4" << QColor(31, 31, 31) << "rgb(31,31,31)"
                                      << QList<int>{25} << Nibbles{1, 1, 1};
    QTest::newRow("pbD13 is three slots")
        << true << "pbD13" << QColor(255, 0, 100) << "rgb(255,0,100)" << QList<int>{12, 14, 16}
        << Nibbles{15, 0, 6};
    QTest::newRow("cancelled") << true << "pbTR1" << QColor() << shownWhite << QList<int>{}
                               << Nibbles{};
}

void TestLedColours::pick()
{
    QFETCH(bool, adjustWhite);
    QFETCH(QString, button);
    QFETCH(QColor, picked);
    QFETCH(QString, painted);
    QFETCH(QList<int>, ledSlots);
    QFETCH(Nibbles, sent);

    QSettings("Nolk Controls", "NolkSet").setValue("ENABLE_ADJUST_WHITE", adjustWhite);
    auto wheel = emu::plug(emu::Model::Demta);
    DebugCapture debug;
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    emu::clearLog();

    if (picked.isValid())
        dialogs::script::queueColor(picked);
    child<QPushButton>(window, qPrintable(button))->click();
    QCOMPARE(dialogs::script::colorDialogs(), 1);
    QCOMPARE(shown(window, button), painted);
    if (!picked.isValid()) {
        QVERIFY(emu::log().empty());
        return;
    }
    QCOMPARE(heads(), LedBlocks);
    const emu::LedImage live = wheel->liveLeds();
    const Nibbles white = adjustWhite ? Nibbles{8, 15, 12} : Nibbles{15, 15, 15};
    for (int slot = 0; slot < 48; ++slot) {
        const Nibbles expected = ledSlots.contains(slot) ? sent
                                 : slot < 12          ? white
                                                      : Nibbles{15, 15, 15};
        QVERIFY2(slotNibbles(live, slot) == expected, qPrintable(QString::number(slot)));
    }
    const QByteArray image(reinterpret_cast<const char *>(live.data()), live.size());
    QCOMPARE(debug.count(QString::fromLatin1(image.toHex(' '))), 1);
}

// "Save Setting" after a pick: the four blocks, then the store command, and
// the box; a report the wheel did not take means the colours were not saved.
void TestLedColours::save_data()
{
    QTest::addColumn<int>("failKind"); // -1: none
    QTest::addColumn<QByteArrayList>("sent");
    QTest::addColumn<QString>("box");

    QByteArrayList stored = LedBlocks;
    stored << "02 0e";
    QTest::newRow("saved") << -1 << stored << "Success: LED colors saved.";
    stored.last() += " failed";
    QTest::newRow("store command fails")
        << int(emu::Transfer::SendFeature) << stored << "Error: Can not save setting.";
    QByteArrayList lostBlock = LedBlocks;
    lostBlock.first() += " failed";
    QTest::newRow("block not taken, nothing stored")
        << int(emu::Transfer::Write) << lostBlock << "Error: Can not save setting.";
}

void TestLedColours::save()
{
    QFETCH(int, failKind);
    QFETCH(QByteArrayList, sent);
    QFETCH(QString, box);

    auto wheel = emu::plug(emu::Model::Ralka);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    dialogs::script::queueColor(QColor(0, 0, 255));
    child<QPushButton>(window, "pbB3")->click();
    const emu::LedImage before = wheel->storedLeds();

    emu::clearLog();
    if (failKind >= 0)
        emu::failNext(emu::Transfer(failKind), 1);
    child<QPushButton>(window, "pbSave")->click();
    QCOMPARE(heads(), sent);
    if (sent.last().startsWith("02 0e"))
        QCOMPARE(sentReports().last().left(59), report("02 0e"));
    const QList<dialogs::ShownBox> boxes = dialogs::script::boxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title + ": " + boxes.first().text, box);
    QCOMPARE(boxes.first().icon, failKind >= 0 ? QMessageBox::Critical : QMessageBox::Information);
    QCOMPARE(wheel->storedLeds() == before, failKind >= 0);
}

// Picked and saved colours come back at the next connection as the wheel
// keeps them; a colour picked after the save goes back to the saved one.
void TestLedColours::savedColoursComeBack()
{
    auto wheel = emu::plug(emu::Model::Demta);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    const QList<QPair<const char *, QColor>> picks{
        {"pbB1", QColor(255, 0, 0)}, {"pbB2", QColor(255, 255, 255)}, {"pbD4", QColor(31, 31, 31)}};
    for (const auto &[button, color] : picks) {
        dialogs::script::queueColor(color);
        child<QPushButton>(window, button)->click();
    }
    child<QPushButton>(window, "pbSave")->click();
    dialogs::script::queueColor(QColor(0, 255, 0));
    child<QPushButton>(window, "pbT1")->click();

    wheel->unplug();
    QTRY_VERIFY(windowlook::isWaiting(window));
    wheel->replug();
    QTRY_VERIFY(windowlook::isConnected(window));
    QCOMPARE(shown(window, "pbB1"), QStringLiteral("rgb(255,0,0)"));
    QCOMPARE(shown(window, "pbB2"), QStringLiteral("rgb(255,255,255)"));
    QCOMPARE(shown(window, "pbD4"), QStringLiteral("rgb(4,4,4)"));
    QCOMPARE(shown(window, "pbT1"), QStringLiteral("rgb(255,255,255)"));
}

// RALKA hides the small dots; their slots still go out with the colours they
// were painted with at connection.
void TestLedColours::hiddenDotsStillSent()
{
    auto wheel = emu::plug(emu::Model::Ralka);
    emu::LedImage image;
    for (std::size_t k = 0; k < image.size(); ++k)
        image[k] = static_cast<std::uint8_t>(k * 29 + 7);
    wheel->setStoredLeds(image);
    MainWindow window;
    QTRY_VERIFY(windowlook::isConnected(window));
    QVERIFY(child<QPushButton>(window, "pbT1")->isHidden());

    dialogs::script::queueColor(QColor(0, 0, 0));
    child<QPushButton>(window, "pbD3")->click();
    for (int slot = 26; slot < 43; ++slot)
        QCOMPARE(slotNibbles(wheel->liveLeds(), slot), slotNibbles(image, slot));
}

QTEST_MAIN(TestLedColours)
#include "tst_ledcolours.moc"
