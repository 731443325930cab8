#include "app/modellayout.h"

#include "ui_mainwindow.h"

#include <QImage>
#include <QMainWindow>
#include <QtTest>

#include <algorithm>

// Every place where the window lights an indicator or offers an LED colour
// must lie on a control drawn in the model's picture.
//
// The drawing tool paints controls only in strong colours and everything else
// (background, rim, grips, plate, markings) only in neutral greys, so a pixel
// belongs to a control when its largest and smallest channels lie far apart.

// Control pixels within an area; pixels outside the picture count as none.
static int controlPixels(const QImage &picture, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = picture.rect().contains(x, y) ? picture.pixel(x, y) : 0;
            const auto [low, high] = std::minmax({qRed(p), qGreen(p), qBlue(p)});
            count += high - low >= 60;
        }
    }
    return count;
}

class TestImages : public QObject
{
    Q_OBJECT

    QMainWindow m_window;
    Ui::MainWindow m_form;

private slots:
    void initTestCase() { m_form.setupUi(&m_window); }

    void spotsLieOnControls_data()
    {
        QTest::addColumn<int>("model");
        for (std::size_t i = 0; i < modelprofile::profiles().size(); ++i)
            QTest::newRow(qPrintable(modelprofile::profiles()[i].modelName)) << int(i);
    }

    // Every indicator the model can light and every LED button it shows, at the
    // profile's place or, where the profile leaves it, at the form's, with the
    // whole neighbourhood of its centre. pbISW1 and pbISW2 are never lit; the
    // extra shifters only light where the model offers them. The pictures are
    // drawn at 1280 x 720 and shown at 640 x 365 with their top-left corner at
    // (61, 9) of the page.
    void spotsLieOnControls()
    {
        QFETCH(int, model);
        const modelprofile::Profile &profile = modelprofile::profiles()[std::size_t(model)];
        const modellayout::Layout &layout = modellayout::of(profile);
        const QImage picture(":/img/" + layout.pictureFile);

        const QString unlit = profile.extraShifterOption ? "SW[12]$" : "SW[12]$|Ex";
        QList<QWidget *> spots = m_form.page1->findChildren<QWidget *>(
            QRegularExpression("^pb(J|SW|I(?!" + unlit + "))"), Qt::FindDirectChildrenOnly);
        if (!layout.ledPositions.empty())
            spots += m_form.page2->findChildren<QWidget *>(
                QRegularExpression(layout.ledDots == modellayout::LedDotVisibility::Shown
                                       ? "^pb[BDT]"
                                       : "^pb[BD]"),
                Qt::FindDirectChildrenOnly);
        QVERIFY(spots.size() >= 40);
        QStringList missed;
        for (const QWidget *widget : spots) {
            QRectF geometry = widget->geometry();
            for (const modellayout::WidgetPosition &position :
                 widget->parent() == m_form.page1 ? layout.inputPositions : layout.ledPositions)
                if (position.objectName == widget->objectName())
                    geometry.moveTopLeft(QPointF(position.x, position.y));
            const QPoint at(qRound((geometry.center().x() - 61) * 2),
                            qRound((geometry.center().y() - 9) * 720 / 365));
            if (controlPixels(picture, QRect(at - QPoint(3, 3), QSize(7, 7))) < 49)
                missed << widget->objectName();
        }
        QVERIFY2(missed.isEmpty(), qPrintable(missed.join(", ")));

        // A picture drawn in strong colours all over would pass the check above.
        const double share = controlPixels(picture, picture.rect()) / (1280.0 * 720.0);
        QVERIFY2(share > 0.03 && share < 0.3, qPrintable(QString::number(share)));
    }

    // The model table's places, pinned: a spot moved or swapped lights one
    // input at another's place. Widgets sharing a place are named by the first.
    void positions_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("leds");
        QTest::newRow("RALKA")
            << 0
            << "lbEnc 290,10 hsTrigger 309,40 lbTrigger 330,60 pbSWL 192,37 pbSWR 546,37 pbIB1 "
               "149,35 pbIB2 210,66 pbIB3 237,140 pbIB4 266,222 pbIB5 241,272 pbIB6 226,321 pbIB9 "
               "590,35 pbIB10 528,66 pbIB11 500,140 pbIB12 472,222 pbIB13 512,321 pbIB14 497,272 "
               "pbID1L 299,122 pbID2L 436,122 pbID3L 299,279 pbID4L 437,279 pbID5L 110,70 pbID6L "
               "625,70 pbID7L 200,110 pbID8L 540,110 pbJsL1 214,195 pbJsR1 523,195"
            << "pbB1 149,35 pbB2 210,66 pbB3 237,140 pbB4 266,222 pbB5 241,272 pbB6 226,321 pbB9 "
               "590,35 pbB10 528,66 pbB11 500,140 pbB12 472,222 pbB13 497,272 pbB14 512,321 pbD13 "
               "299,122 pbD23 436,122 pbD16 299,279 pbD26 437,279 pbD3 200,110 pbD4 540,110";
        QTest::newRow("DEMTA")
            << 1
            << "lbEnc 290,70 hsTrigger 309,100 lbTrigger 330,120 pbSWL 195,51 pbSWR 543,51 pbIB1 "
               "151,49 pbIB2 212,79 pbIB3 239,152 pbIB4 267,233 pbIB5 243,283 pbIB6 228,330 pbIB9 "
               "587,49 pbIB10 526,79 pbIB11 498,152 pbIB12 471,233 pbIB13 510,330 pbIB14 495,283 "
               "pbID1L 326,200 pbID2L 410,200 pbID3L 300,289 pbID4L 436,289 pbID5L 110,85 pbID6L "
               "625,85 pbID7L 195,123 pbID8L 545,123 pbJsL1 216,207 pbJsR1 521,207"
            << "pbB1 151,49 pbB2 212,79 pbB3 239,152 pbB4 267,233 pbB5 243,283 pbB6 228,330 pbB9 "
               "587,49 pbB10 526,79 pbB11 498,152 pbB12 471,233 pbB13 495,283 pbB14 510,330 pbD13 "
               "326,200 pbD23 410,200 pbD16 300,289 pbD26 436,289 pbD3 195,123 pbD4 545,123";
        QTest::newRow("SOVIN")
            << 2
            << "lbEnc 290,10 hsTrigger 309,40 lbTrigger 330,60 pbSWL 169,39 pbSWR 569,39 pbIB1 "
               "120,28 pbIB2 221,56 pbIB3 239,109 pbIB4 274,164 pbIB5 256,227 pbIB6 250,282 pbIB9 "
               "618,28 pbIB10 517,56 pbIB11 498,109 pbIB12 464,164 pbIB13 488,282 pbIB14 482,227 "
               "pbID3L 308,236 pbID4L 429,236 pbID7L 200,100 pbID8L 540,100 pbJsL1 217,166 pbJsR1 "
               "520,166"
            << "";
    }

    void positions()
    {
        QFETCH(int, model);
        const auto places = [](const std::vector<modellayout::WidgetPosition> &positions) {
            QStringList named;
            QPoint last(-1, -1);
            for (const modellayout::WidgetPosition &position : positions) {
                if (QPoint(position.x, position.y) != last)
                    named << QString("%1 %2,%3")
                                 .arg(position.objectName)
                                 .arg(position.x)
                                 .arg(position.y);
                last = QPoint(position.x, position.y);
            }
            return named.join(' ');
        };
        const modellayout::Layout &layout =
            modellayout::of(modelprofile::profiles()[std::size_t(model)]);
        QTEST(places(layout.inputPositions), "inputs");
        QTEST(places(layout.ledPositions), "leds");
    }
};

QTEST_MAIN(TestImages)
#include "tst_images.moc"
