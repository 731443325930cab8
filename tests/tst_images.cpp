#include "device/modelprofile.h"

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
        for (std::size_t i = 0; i < modelProfiles().size(); ++i)
            QTest::newRow(qPrintable(modelProfiles()[i].modelName)) << int(i);
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
        const ModelProfile &profile = modelProfiles()[std::size_t(model)];
        const QImage picture(":/img/" + profile.pictureFile);

        const QString unlit = profile.extraShifterOption ? "SW[12]$" : "SW[12]$|Ex";
        QList<QWidget *> spots = m_form.page1->findChildren<QWidget *>(
            QRegularExpression("^pb(J|SW|I(?!" + unlit + "))"), Qt::FindDirectChildrenOnly);
        if (!profile.ledPositions.empty())
            spots += m_form.page2->findChildren<QWidget *>(
                QRegularExpression(profile.ledDots == LedDotVisibility::Shown ? "^pb[BDT]"
                                                                              : "^pb[BD]"),
                Qt::FindDirectChildrenOnly);
        QVERIFY(spots.size() >= 40);
        QStringList missed;
        for (const QWidget *widget : spots) {
            QRectF geometry = widget->geometry();
            for (const WidgetPosition &position :
                 widget->parent() == m_form.page1 ? profile.inputPositions : profile.ledPositions)
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
};

QTEST_MAIN(TestImages)
#include "tst_images.moc"
