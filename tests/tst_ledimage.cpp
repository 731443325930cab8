#include "settings/ledimage.h"

#include <QSet>
#include <QtTest>

using namespace ledimage;

namespace {

const QString RoundStyle =
    QStringLiteral("QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:  "
                   "rgb(255,255,255);\n\tborder: 1px solid white;\n}");
const QString DotStyle = QStringLiteral("QPushButton {\n\tborder-radius: 4px;\n\tbackground-color: "
                                        " rgb(255,255,255);\n\tborder: 1px solid white;\n}");

QByteArray hex(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)).toHex(' ');
}

SlotColors blackSlots()
{
    SlotColors colors;
    colors.fill(QColor(0, 0, 0));
    return colors;
}

} // namespace

class TestLedImage : public QObject
{
    Q_OBJECT

private slots:
    void packFirstSlots_data();
    void packFirstSlots();
    void unusedSlotsFullyLit();
    void readBack_data();
    void readBack();
    void displayTableRoundTrip();
    void resendKeepsStoredColours();
    void slotMap_data();
    void slotMap();
    void everyButtonHasASlot();
    void outputReportOrder();
    void blocksRebuildImage();
    void correction_data();
    void correction();
    void writeStyleSheet_data();
    void writeStyleSheet();
    void readStyleSheet_data();
    void readStyleSheet();
    void repaintKeepsOneColour();
};

void TestLedImage::packFirstSlots_data()
{
    QTest::addColumn<QColor>("slot0");
    QTest::addColumn<QColor>("slot1");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("red then blue")
        << QColor(255, 0, 0) << QColor(0, 0, 255) << QByteArray("0f 00 f0");
    QTest::newRow("corrected white")
        << sentColor(Qt::white, true) << QColor(0, 0, 0) << QByteArray("f8 0c 00");
    QTest::newRow("uncorrected white")
        << sentColor(Qt::white, false) << QColor(0, 0, 0) << QByteArray("ff 0f 00");
    QTest::newRow("31 cut to 1") << QColor(31, 31, 31) << QColor(0, 0, 0) << QByteArray("11 01 00");
    QTest::newRow("display values keep their index")
        << QColor(4, 17, 226) << QColor(0, 0, 0) << QByteArray("31 0e 00");
    QTest::newRow("beside display values")
        << QColor(5, 18, 227) << QColor(0, 0, 0) << QByteArray("10 0e 00");
    QTest::newRow("invalid sent as black")
        << QColor() << QColor(255, 255, 255) << QByteArray("00 f0 ff");
}

void TestLedImage::packFirstSlots()
{
    QFETCH(QColor, slot0);
    QFETCH(QColor, slot1);
    QFETCH(QByteArray, bytes);

    SlotColors colors = blackSlots();
    colors[0] = slot0;
    colors[1] = slot1;
    QCOMPARE(hex(packColors(colors).data(), 3), bytes);
}

void TestLedImage::unusedSlotsFullyLit()
{
    const Image image = packColors(blackSlots());
    // Byte 64 carries slot 42's blue and slot 43's red.
    QCOMPARE(hex(image.data() + 63, 9), QByteArray("00 f0 ff ff ff ff ff ff ff"));
    QCOMPARE(unpack(image)[3 * 43], std::uint8_t(255));
}

void TestLedImage::readBack_data()
{
    QTest::addColumn<QColor>("sent");
    QTest::addColumn<QColor>("painted");

    QTest::newRow("corrected white") << sentColor(Qt::white, true) << QColor(Qt::white);
    QTest::newRow("uncorrected white") << QColor(Qt::white) << QColor(Qt::white);
    QTest::newRow("31 reads as 4") << QColor(31, 31, 31) << QColor(4, 4, 4);
    QTest::newRow("mixed") << QColor(18, 200, 240) << QColor(4, 173, 255);
    QTest::newRow("grey") << QColor(128, 128, 128) << QColor(86, 86, 86);
}

void TestLedImage::readBack()
{
    QFETCH(QColor, sent);
    QFETCH(QColor, painted);

    SlotColors colors = blackSlots();
    colors[5] = sent;
    const Channels channels = unpack(packColors(colors));
    QCOMPARE(paintedColor(slotColor(channels, 5)), painted);
    QCOMPARE(slotColor(channels, 4), QColor(0, 0, 0));
}

void TestLedImage::displayTableRoundTrip()
{
    for (std::size_t n = 0; n < DisplayTable.size(); ++n) {
        Channels channels{};
        channels[0] = DisplayTable[n];
        channels[1] = DisplayTable[n];
        const Image image = pack(channels);
        QCOMPARE(int(image[0]), int(n | n << 4));
        QCOMPARE(unpack(image)[1], DisplayTable[n]);
    }
}

// Colours painted at connection and sent again unchanged (a pick on another
// LED resends every slot) must reach the wheel as the values it stored.
void TestLedImage::resendKeepsStoredColours()
{
    Image stored;
    for (std::size_t k = 0; k < ImageSize; ++k)
        stored[k] = std::uint8_t(k * 37 + 11);
    stored[64] |= 0xF0;
    std::fill(stored.begin() + 65, stored.end(), std::uint8_t(0xFF));

    const Channels shown = unpack(stored);
    SlotColors colors;
    for (std::size_t slot = 0; slot < ButtonSlotCount; ++slot)
        colors[slot] = slotColor(shown, slot);
    QCOMPARE(hex(packColors(colors).data(), ImageSize), hex(stored.data(), ImageSize));
}

void TestLedImage::slotMap_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("corrected");

    const std::pair<int, const char *> rows[] = {
        {0, "pbB1"},   {1, "pbB9"},   {2, "pbB2"},   {11, "pbB14"}, {12, "pbD13"}, {13, "pbD23"},
        {14, "pbD13"}, {16, "pbD13"}, {17, "pbD23"}, {18, "pbD16"}, {22, "pbD16"}, {23, "pbD26"},
        {24, "pbD3"},  {25, "pbD4"},  {26, "pbT1"},  {36, "pbT11"}, {37, "pbTL3"}, {38, "pbTR3"},
        {41, "pbTL1"}, {42, "pbTR1"}, {43, ""},      {47, ""},      {48, ""}};
    for (const auto &[slot, button] : rows)
        QTest::addRow("slot %d", slot) << slot << QString::fromLatin1(button) << (slot < 12);
}

void TestLedImage::slotMap()
{
    QFETCH(int, slot);
    QFETCH(QString, button);
    QFETCH(bool, corrected);

    QCOMPARE(slotButton(std::size_t(slot)), button);
    QCOMPARE(slotWhiteCorrected(std::size_t(slot)), corrected);
}

void TestLedImage::everyButtonHasASlot()
{
    QSet<QString> buttons;
    for (std::size_t slot = 0; slot < ButtonSlotCount; ++slot)
        buttons.insert(slotButton(slot));
    QCOMPARE(buttons.size(), 35);
}

void TestLedImage::outputReportOrder()
{
    Image image;
    for (std::size_t k = 0; k < ImageSize; ++k)
        image[k] = std::uint8_t(k);

    QByteArrayList sent;
    for (const protocol::Report &report : outputReports(image))
        sent << hex(report.data(), report.size());
    QCOMPARE(sent, (QByteArrayList{"03 00 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11",
                                   "03 01 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f 20 21 22 23",
                                   "03 03 36 37 38 39 3a 3b 3c 3d 3e 3f 40 41 42 43 44 45 46 47",
                                   "03 02 24 25 26 27 28 29 2a 2b 2c 2d 2e 2f 30 31 32 33 34 35"}));
}

// Reading at connection: each block's answer lands at its place in the image.
void TestLedImage::blocksRebuildImage()
{
    Image original;
    for (std::size_t k = 0; k < ImageSize; ++k)
        original[k] = std::uint8_t(0xFF - k);

    Image rebuilt{};
    for (const protocol::Report &report : outputReports(original)) {
        protocol::Report answer = report;
        answer[0] = protocol::FeatureReportId;
        setImageBlock(rebuilt, report[1], protocol::ledBlockAnswer(answer));
    }
    QCOMPARE(hex(rebuilt.data(), ImageSize), hex(original.data(), ImageSize));
}

void TestLedImage::correction_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<bool>("correctWhite");
    QTest::addColumn<QColor>("sent");
    QTest::addColumn<QColor>("painted");

    QTest::newRow("white corrected")
        << QColor(Qt::white) << true << QColor(128, 255, 192) << QColor(Qt::white);
    QTest::newRow("white uncorrected")
        << QColor(Qt::white) << false << QColor(Qt::white) << QColor(Qt::white);
    QTest::newRow("almost white") << QColor(255, 255, 254) << true << QColor(255, 255, 254)
                                  << QColor(255, 255, 254);
    QTest::newRow("stored white painted white")
        << QColor(86, 255, 173) << true << QColor(86, 255, 173) << QColor(Qt::white);
    QTest::newRow("near stored white")
        << QColor(86, 255, 172) << false << QColor(86, 255, 172) << QColor(86, 255, 172);
    QTest::newRow("translucent stored white")
        << QColor(86, 255, 173, 128) << false << QColor(86, 255, 173, 128)
        << QColor(86, 255, 173, 128);
    QTest::newRow("invalid") << QColor() << true << QColor() << QColor();
}

void TestLedImage::correction()
{
    QFETCH(QColor, color);
    QFETCH(bool, correctWhite);
    QFETCH(QColor, sent);
    QFETCH(QColor, painted);

    QCOMPARE(sentColor(color, correctWhite), sent);
    QCOMPARE(paintedColor(color), painted);
}

void TestLedImage::writeStyleSheet_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("written");

    QTest::newRow("round button")
        << RoundStyle
        << QStringLiteral(
               "QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:rgb(1,20,255);  "
               "\n\tborder: 1px solid white;\n}");
    QTest::newRow("dot button")
        << DotStyle
        << QStringLiteral("QPushButton {\n\tborder-radius: 4px;\n\tbackground-color:rgb(1,20,255); "
                          " \n\tborder: 1px solid white;\n}");
    QTest::newRow("no semicolon behind rgb")
        << QStringLiteral("QPushButton{background-color:rgb(9,9,9)} QPushButton:hover{border:1px;}")
        << QStringLiteral(
               "QPushButton{background-color:rgb(1,20,255);} QPushButton:hover{border:1px;}");
    QTest::newRow("blank before semicolon")
        << QStringLiteral("background-color:rgb(9,9,9) ;border:0;")
        << QStringLiteral("background-color:rgb(1,20,255);border:0;");
    QTest::newRow("rgb never closed") << QStringLiteral("background-color:rgb(9,9")
                                      << QStringLiteral("background-color:rgb(1,20,255);");
    QTest::newRow("rule without colour")
        << QStringLiteral("QPushButton{border-radius:4px;}")
        << QStringLiteral("QPushButton{background-color:rgb(1,20,255);border-radius:4px;}");
    QTest::newRow("declaration without semicolon")
        << QStringLiteral("border-radius:4px")
        << QStringLiteral("border-radius:4px;background-color:rgb(1,20,255);");
    QTest::newRow("empty") << QString() << QStringLiteral("background-color:rgb(1,20,255);");
}

void TestLedImage::writeStyleSheet()
{
    QFETCH(QString, sheet);
    QFETCH(QString, written);

    const QString result = styleSheetWithColor(sheet, QColor(1, 20, 255));
    QCOMPARE(result, written);
    QCOMPARE(styleSheetColor(result), QColor(1, 20, 255));
}

void TestLedImage::readStyleSheet_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QColor>("color");

    QTest::newRow("form white") << RoundStyle << QColor(Qt::white);
    QTest::newRow("blanks") << QStringLiteral("background-color: rgb( 10 , 20 ,30 );")
                            << QColor(10, 20, 30);
    QTest::newRow("word counts 0") << QStringLiteral("rgb(abc,2,3);") << QColor(0, 2, 3);
    QTest::newRow("fraction counts 0") << QStringLiteral("rgb(1.5,2,3);") << QColor(0, 2, 3);
    QTest::newRow("empty parts") << QStringLiteral("rgb(,,);") << QColor(0, 0, 0);
    QTest::newRow("extra part ignored") << QStringLiteral("rgb(1,2,3,4);") << QColor(1, 2, 3);
    QTest::newRow("256") << QStringLiteral("rgb(256,0,0);") << QColor();
    QTest::newRow("negative") << QStringLiteral("rgb(0,-1,0);") << QColor();
    QTest::newRow("too large for int") << QStringLiteral("rgb(0,0,99999999999);") << QColor();
    QTest::newRow("two parts") << QStringLiteral("rgb(1,2);") << QColor();
    QTest::newRow("never closed") << QStringLiteral("rgb(1,2,3;") << QColor();
    QTest::newRow("named colour") << QStringLiteral("background-color: white;") << QColor();
    QTest::newRow("empty") << QString() << QColor();
}

void TestLedImage::readStyleSheet()
{
    QFETCH(QString, sheet);
    QFETCH(QColor, color);
    QCOMPARE(styleSheetColor(sheet), color);
}

void TestLedImage::repaintKeepsOneColour()
{
    QString sheet = RoundStyle;
    sheet = styleSheetWithColor(sheet, QColor(10, 20, 30));
    sheet = styleSheetWithColor(sheet, QColor(40, 50, 60));
    QCOMPARE(sheet, styleSheetWithColor(RoundStyle, QColor(40, 50, 60)));
    QCOMPARE(sheet.count(QLatin1String("rgb")), 1);
}

QTEST_GUILESS_MAIN(TestLedImage)
#include "tst_ledimage.moc"
