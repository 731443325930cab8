#include "settings/ledimage.h"

#include <QtTest>

using namespace ledimage;

class TestLedImage : public QObject
{
    Q_OBJECT

private slots:
    // Slot 0 and a blue slot 1 as the first image bytes, and slot 0 as painted
    // when the image is read back.
    void sendAndReadBack_data()
    {
        QTest::addColumn<QColor>("slot0");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QColor>("painted");
        QTest::newRow("red") << QColor(255, 0, 0) << QByteArray("0f 00 f0") << QColor(255, 0, 0);
        QTest::newRow("corrected white")
            << sentColor(Qt::white, true) << QByteArray("f8 0c f0") << QColor(Qt::white);
        QTest::newRow("white, switch off")
            << sentColor(Qt::white, false) << QByteArray("ff 0f f0") << QColor(Qt::white);
        QTest::newRow("31 cut to 1")
            << QColor(31, 31, 31) << QByteArray("11 01 f0") << QColor(4, 4, 4);
        QTest::newRow("invalid sent as black")
            << QColor() << QByteArray("00 00 f0") << QColor(0, 0, 0);
    }

    void sendAndReadBack()
    {
        QFETCH(QColor, slot0);
        SlotColors colors; // slots left invalid go as black
        colors[0] = slot0;
        colors[1] = QColor(0, 0, 255);
        const Image image = packColors(colors);
        QTEST(QByteArray(reinterpret_cast<const char *>(image.data()), 3).toHex(' '), "bytes");
        QTEST(paintedColor(slotColor(unpack(image), 0)), "painted");
    }

    // The white correction covers exactly the big buttons' slots.
    void whiteCorrectedSlots()
    {
        for (std::size_t slot = 0; slot < 48; ++slot)
            QCOMPARE(slotWhiteCorrected(slot), slotButton(slot).startsWith(QLatin1String("pbB")));
    }

    // The colour read from a sheet, and the sheet after painting (1, 20, 255) on it.
    void styleSheets_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QString>("written");
        const auto row = [](const char *tag, const char *sheet, QColor color, const char *written) {
            QTest::newRow(tag) << QString::fromLatin1(sheet) << color
                               << QString::fromLatin1(written);
        };
        const QColor invalid;
        row("form's sheet", "QPushButton{border-radius:4px;background-color:  rgb(255,255,255);}",
            Qt::white, "QPushButton{border-radius:4px;background-color:rgb(1,20,255);  }");
        row("no semicolon behind rgb",
            "QPushButton{background-color:rgb(9,9,9)} QPushButton:hover{border:1px;}",
            QColor(9, 9, 9),
            "QPushButton{background-color:rgb(1,20,255);} QPushButton:hover{border:1px;}");
        row("rgb never closed", "color:rgb(9,9", invalid, "color:rgb(1,20,255);");
        row("rule without colour", "QPushButton{border-radius:4px;}", invalid,
            "QPushButton{background-color:rgb(1,20,255);border-radius:4px;}");
        row("blanks, word counts 0", "color: rgb( abc , 20 ,30 );", QColor(0, 20, 30),
            "color:rgb(1,20,255); ");
        row("256", "color:rgb(256,0,0);", invalid, "color:rgb(1,20,255);");
        row("too large for int", "color:rgb(0,0,99999999999);", invalid, "color:rgb(1,20,255);");
        row("two parts", "color:rgb(1,2);", invalid, "color:rgb(1,20,255);");
    }

    // Painting again must not pile up values.
    void styleSheets()
    {
        QFETCH(QString, sheet);
        QTEST(styleSheetColor(sheet), "color");
        const QString result = styleSheetWithColor(sheet, QColor(1, 20, 255));
        QTEST(result, "written");
        QCOMPARE(styleSheetWithColor(styleSheetWithColor(result, Qt::red), QColor(1, 20, 255)),
                 result);
    }
};

QTEST_GUILESS_MAIN(TestLedImage)
#include "tst_ledimage.moc"
