#include "app/mainwindow.h"
#include "device/hidlink.h"
#include "emulator/wheelemulator.h"
#include "support/debugcapture.h"
#include "support/findwidget.h"
#include "support/windowfixture.h"
#include "support/windowlook.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTest>
#include <QTranslator>

namespace {

// Marks every text of the window's context, so a test can see which texts
// really went through translation.
struct MarkingTranslator : QTranslator
{
    QString translate(const char *context, const char *text, const char *, int) const override
    {
        return qstrcmp(context, "MainWindow") == 0 ? "@" + QString::fromUtf8(text) : QString();
    }
    bool isEmpty() const override { return false; }
};

// Mouse steps "kind local global; ...": pL/pR press and rL/rR release the
// left or right button, m moves with the left button held.
void sendMouse(QWidget &window, const QString &steps)
{
    for (const QString &step : steps.split(QStringLiteral("; "))) {
        const QStringList w = step.split(QRegularExpression("[ ,]"));
        const QPointF local(w[1].toDouble(), w[2].toDouble()),
            global(w[3].toDouble(), w[4].toDouble());
        const Qt::MouseButton button = step[1] == 'R' ? Qt::RightButton : Qt::LeftButton;
        const QEvent::Type type = step[0] == 'p'   ? QEvent::MouseButtonPress
                                  : step[0] == 'r' ? QEvent::MouseButtonRelease
                                                   : QEvent::MouseMove;
        const Qt::MouseButtons held = step.startsWith("rL") ? Qt::NoButton
                                      : step[0] == 'p'      ? Qt::LeftButton | button
                                                            : Qt::LeftButton;
        // Straight to the window: QApplication would round the positions to
        // whole pixels before the handlers see them.
        QMouseEvent event(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : button,
                          held, Qt::NoModifier);
        static_cast<QObject &>(window).event(&event);
    }
}

} // namespace

class TestMainWindow : public WindowTest
{
    Q_OBJECT

private slots:
    // Without a wheel: the ABOUT page with its button marked, no version
    // shown, the heading's text through translation.
    void waitingStateAfterConstruction()
    {
        MarkingTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        {
            MainWindow window;
            QTRY_VERIFY(child<QPushButton>(window, "pbS5")->isChecked());
            QCOMPARE(child<QLabel>(window, "lbHead")->text(),
                     QStringLiteral("@WAITING FOR DEVICE..."));
            QVERIFY(child<QLabel>(window, "lbVersion")->isHidden());
        }
        QCoreApplication::removeTranslator(&translator);
    }

    void sidebar_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("page"); // -1: a foreign sender, nothing changes
        QTest::newRow("INPUTS") << "pbS1" << 0;
        QTest::newRow("PADDLES, placed after DEVICE in the form") << "pbS3" << 2;
        QTest::newRow("ABOUT") << "pbS5" << 4;
        QTest::newRow("digit six") << "pbS6" << -1;
        QTest::newRow("name too short") << "pbS" << -1;
        QTest::newRow("Arabic-Indic one, outside Latin-1") << QString::fromUtf8("pbS\u0661") << -1;
    }
    void sidebar()
    {
        QFETCH(QString, button);
        QFETCH(int, page);
        MainWindow window;
        auto *stack = child<QStackedWidget>(window, "stackedWidget");
        QTRY_COMPARE(stack->currentIndex(), 4);

        QPushButton foreign;
        auto *clicked = window.findChild<QPushButton *>(button);
        if (page < 0) {
            foreign.setObjectName(button);
            QVERIFY(connect(&foreign, SIGNAL(clicked()), &window, SLOT(onSidebar())));
            clicked = &foreign;
        }
        clicked->setEnabled(true);
        clicked->click();
        QCOMPARE(stack->currentIndex(), page < 0 ? 4 : page);
        QStringList checked;
        for (const char *name : {"pbS1", "pbS2", "pbS3", "pbS4", "pbS5"}) {
            if (child<QPushButton>(window, name)->isChecked())
                checked << name;
        }
        QCOMPARE(checked, page < 0 ? QStringList() : QStringList{button});
    }

    // The window at (100, 100) after the steps, as sendMouse takes them.
    void drag_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QPoint>("moved");
        const QString strip = QStringLiteral("pL 300,%1 400,%2; m 330,%3 430,%4");
        const auto inStrip = [&](double y) {
            return strip.arg(y).arg(100 + y).arg(y + 20).arg(120 + y);
        };
        QTest::newRow("y 49.4 rounds to 49") << inStrip(49.4) << QPoint(30, 20);
        QTest::newRow("y 49.5 rounds to 50") << inStrip(49.5) << QPoint();
        // Measured from 310.7, 0.6 more is no whole pixel; after the release
        // nothing moves.
        QTest::newRow("fractions dropped") << "pL 200,10 300,110; m 210.7,10 310.7,110; m 211.3,10 "
                                              "311.3,110; rL 211.3,10 311.3,110; m 250,10 350,110"
                                           << QPoint(10, 0);
        QTest::newRow("negative screen coordinates")
            << "pL 10,10 -500,-300; m 15,10 -495,-303" << QPoint(5, -3);
        QTest::newRow("move without press") << "m 40,40 530,530" << QPoint();
        QTest::newRow("right button") << "pR 10,10 110,110; m 40,40 140,140" << QPoint();
        QTest::newRow("any release ends the drag")
            << "pL 10,10 110,110; rR 10,10 110,110; m 40,40 140,140" << QPoint();
    }
    void drag()
    {
        QFETCH(QString, steps);
        QFETCH(QPoint, moved);
        MainWindow window;
        window.move(100, 100);
        const QPoint start = window.pos();
        sendMouse(window, steps);
        QCOMPARE(window.pos(), start + moved);
    }

    void closing_data()
    {
        QTest::addColumn<bool>("wheel");
        QTest::addColumn<bool>("closeButton");
        QTest::newRow("close button") << true << true;
        QTest::newRow("window manager") << true << false;
        QTest::newRow("no wheel: nothing sent") << false << true;
    }
    void closing()
    {
        QFETCH(bool, wheel);
        QFETCH(bool, closeButton);
        if (wheel)
            emu::plug(emu::Model::Ralka);
        DebugCapture debug;
        MainWindow window;
        window.show();
        QTRY_VERIFY(wheel ? windowlook::isConnected(window) : windowlook::isWaiting(window));
        if (closeButton)
            child<QPushButton>(window, "pbClose")->click();
        else
            window.close();
        QCOMPARE(debug.count("joystick event thread done."), wheel ? 1 : 0);
        QVERIFY(!HidLink::instance().isOpen());
        QVERIFY(!window.isVisible());
        QVERIFY(wheel || emu::log().empty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
