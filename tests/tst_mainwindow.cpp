#include "app/mainwindow.h"
#include "device/hidlink.h"
#include "emulator/wheelemulator.h"
#include "support/debugcapture.h"
#include "support/findwidget.h"
#include "support/testenv.h"
#include "support/windowlook.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTranslator>

namespace {

// Marks every text of the window's context, so a test can see which texts
// really went through translation.
class MarkingTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "MainWindow") != 0 || !sourceText || !*sourceText)
            return QString();
        return QStringLiteral("@") + QString::fromUtf8(sourceText);
    }
    bool isEmpty() const override { return false; }
};

void sendMouse(QWidget &window, QEvent::Type type, QPointF local, QPointF global,
               Qt::MouseButton button, Qt::MouseButtons buttons)
{
    // Straight to the window: QApplication would round the positions to
    // whole pixels before the handlers see them.
    QMouseEvent event(type, local, global, button, buttons, Qt::NoModifier);
    static_cast<QObject &>(window).event(&event);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void waitingStateAfterConstruction();
    void sidebarShowsPageOfClickedButton_data();
    void sidebarShowsPageOfClickedButton();
    void sidebarIgnoresForeignSender_data();
    void sidebarIgnoresForeignSender();
    void dragStartsOnlyInTopStrip_data();
    void dragStartsOnlyInTopStrip();
    void dragDropsFractionsWithoutAccumulating();
    void dragWorksAtNegativeScreenCoordinates();
    void onlyLeftButtonDrags();
    void textsPassThroughTranslation();
    void closingStopsReader_data();
    void closingStopsReader();
    void closingWithoutWheelSendsNothing();
};

void TestMainWindow::initTestCase()
{
    testenv::isolate();
}

void TestMainWindow::cleanup()
{
    emu::reset();
    testenv::clearSettings();
}

void TestMainWindow::waitingStateAfterConstruction()
{
    MainWindow window;
    QTRY_VERIFY2(windowlook::isWaiting(window), qPrintable(windowlook::describe(window)));
    QVERIFY(child<QPushButton>(window, "pbS5")->isChecked());
    QVERIFY(child<QLabel>(window, "lbVersion")->isHidden());
    QVERIFY(child<QWidget>(window, "lbUpgrade")->isHidden());
    QVERIFY(child<QWidget>(window, "pgUpgrade")->isHidden());
}

void TestMainWindow::sidebarShowsPageOfClickedButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("page");
    QTest::newRow("INPUTS") << "pbS1" << 0;
    QTest::newRow("RGB") << "pbS2" << 1;
    QTest::newRow("PADDLES, placed after DEVICE in the form") << "pbS3" << 2;
    QTest::newRow("DEVICE") << "pbS4" << 3;
    QTest::newRow("ABOUT") << "pbS5" << 4;
}

void TestMainWindow::sidebarShowsPageOfClickedButton()
{
    QFETCH(QString, button);
    QFETCH(int, page);
    MainWindow window;
    auto *stack = child<QStackedWidget>(window, "stackedWidget");
    QTRY_COMPARE(stack->currentIndex(), 4);

    auto *clicked = window.findChild<QPushButton *>(button);
    clicked->setEnabled(true);
    clicked->click();
    QCOMPARE(stack->currentIndex(), page);
    int checked = 0;
    for (const char *name : {"pbS1", "pbS2", "pbS3", "pbS4", "pbS5"})
        checked += child<QPushButton>(window, name)->isChecked() ? 1 : 0;
    QCOMPARE(checked, 1);
    QVERIFY(clicked->isChecked());
}

void TestMainWindow::sidebarIgnoresForeignSender_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("digit six") << "pbS6";
    QTest::newRow("name too short") << "pbS";
    QTest::newRow("no name") << "";
    QTest::newRow("Arabic-Indic one, outside Latin-1") << QString::fromUtf8("pbS\u0661");
}

void TestMainWindow::sidebarIgnoresForeignSender()
{
    QFETCH(QString, name);
    MainWindow window;
    auto *stack = child<QStackedWidget>(window, "stackedWidget");
    QTRY_COMPARE(stack->currentIndex(), 4);

    QPushButton foreign;
    foreign.setObjectName(name);
    QVERIFY(connect(&foreign, SIGNAL(clicked()), &window, SLOT(onSidebar())));
    foreign.click();
    QCOMPARE(stack->currentIndex(), 4);
    for (const char *button : {"pbS1", "pbS2", "pbS3", "pbS4", "pbS5"})
        QVERIFY2(!child<QPushButton>(window, button)->isChecked(), button);
}

void TestMainWindow::dragStartsOnlyInTopStrip_data()
{
    QTest::addColumn<double>("pressY");
    QTest::addColumn<bool>("drags");
    QTest::newRow("49.4 rounds to 49") << 49.4 << true;
    QTest::newRow("49.5 rounds to 50") << 49.5 << false;
    QTest::newRow("top edge") << 0.0 << true;
    QTest::newRow("page area") << 300.0 << false;
}

void TestMainWindow::dragStartsOnlyInTopStrip()
{
    QFETCH(double, pressY);
    QFETCH(bool, drags);
    MainWindow window;
    window.move(100, 100);
    const QPoint start = window.pos();
    const QPointF global(400, 100 + pressY);

    sendMouse(window, QEvent::MouseButtonPress, QPointF(300, pressY), global, Qt::LeftButton,
              Qt::LeftButton);
    sendMouse(window, QEvent::MouseMove, QPointF(330, pressY + 20), global + QPointF(30, 20),
              Qt::NoButton, Qt::LeftButton);
    QCOMPARE(window.pos(), drags ? start + QPoint(30, 20) : start);
}

void TestMainWindow::dragDropsFractionsWithoutAccumulating()
{
    MainWindow window;
    window.move(100, 100);
    const QPoint start = window.pos();

    sendMouse(window, QEvent::MouseButtonPress, QPointF(200, 10), QPointF(300, 110),
              Qt::LeftButton, Qt::LeftButton);
    sendMouse(window, QEvent::MouseMove, QPointF(210.7, 10), QPointF(310.7, 110), Qt::NoButton,
              Qt::LeftButton);
    QCOMPARE(window.pos(), start + QPoint(10, 0));
    // Measured from 310.7: 0.6 more is no whole pixel, so nothing moves.
    sendMouse(window, QEvent::MouseMove, QPointF(211.3, 10), QPointF(311.3, 110), Qt::NoButton,
              Qt::LeftButton);
    QCOMPARE(window.pos(), start + QPoint(10, 0));

    sendMouse(window, QEvent::MouseButtonRelease, QPointF(211.3, 10), QPointF(311.3, 110),
              Qt::LeftButton, Qt::NoButton);
    sendMouse(window, QEvent::MouseMove, QPointF(250, 10), QPointF(350, 110), Qt::NoButton,
              Qt::LeftButton);
    QCOMPARE(window.pos(), start + QPoint(10, 0));
}

void TestMainWindow::dragWorksAtNegativeScreenCoordinates()
{
    MainWindow window;
    window.move(100, 100);
    const QPoint start = window.pos();
    sendMouse(window, QEvent::MouseButtonPress, QPointF(10, 10), QPointF(-500, -300),
              Qt::LeftButton, Qt::LeftButton);
    sendMouse(window, QEvent::MouseMove, QPointF(15, 10), QPointF(-495, -303), Qt::NoButton,
              Qt::LeftButton);
    QCOMPARE(window.pos(), start + QPoint(5, -3));
}

void TestMainWindow::onlyLeftButtonDrags()
{
    MainWindow window;
    window.move(100, 100);
    const QPoint start = window.pos();
    // No press before: no drag, even with the left button held.
    sendMouse(window, QEvent::MouseMove, QPointF(40, 40), QPointF(530, 530), Qt::NoButton,
              Qt::LeftButton);
    QCOMPARE(window.pos(), start);
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        sendMouse(window, QEvent::MouseButtonPress, QPointF(10, 10), QPointF(110, 110), button,
                  button | Qt::LeftButton);
        sendMouse(window, QEvent::MouseMove, QPointF(40, 40), QPointF(140, 140), Qt::NoButton,
                  button | Qt::LeftButton);
        QCOMPARE(window.pos(), start);
    }
    // A drag in progress ends with the release of any button.
    sendMouse(window, QEvent::MouseButtonPress, QPointF(10, 10), QPointF(110, 110), Qt::LeftButton,
              Qt::LeftButton);
    sendMouse(window, QEvent::MouseButtonRelease, QPointF(10, 10), QPointF(110, 110),
              Qt::RightButton, Qt::LeftButton);
    sendMouse(window, QEvent::MouseMove, QPointF(40, 40), QPointF(140, 140), Qt::NoButton,
              Qt::LeftButton);
    QCOMPARE(window.pos(), start);
}

void TestMainWindow::textsPassThroughTranslation()
{
    MarkingTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    {
        MainWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("@Nolk Controls Setting"));
        QCOMPARE(child<QPushButton>(window, "pbS1")->text(), QStringLiteral("@INPUTS"));
        QCOMPARE(child<QPushButton>(window, "pbClearFlash")->text(),
                 QStringLiteral("@CLEAR FLASH DATA"));
        QCOMPARE(child<QLabel>(window, "lbHead")->text(),
                 QStringLiteral("@WAITING FOR DEVICE..."));
        QCOMPARE(child<QPushButton>(window, "pbClose")->text(), QString());
    }
    QCoreApplication::removeTranslator(&translator);
}

void TestMainWindow::closingStopsReader_data()
{
    QTest::addColumn<bool>("closeButton");
    QTest::newRow("close button") << true;
    QTest::newRow("window manager") << false;
}

void TestMainWindow::closingStopsReader()
{
    QFETCH(bool, closeButton);
    emu::plug(emu::Model::Ralka);
    DebugCapture debug;
    MainWindow window;
    window.show();
    QTRY_VERIFY(windowlook::isConnected(window));

    if (closeButton)
        child<QPushButton>(window, "pbClose")->click();
    else
        window.close();
    QCOMPARE(debug.count("joystick event thread done."), 1);
    QVERIFY(!HidLink::instance().isOpen());
    QVERIFY(!window.isVisible());
}

void TestMainWindow::closingWithoutWheelSendsNothing()
{
    MainWindow window;
    window.show();
    QTRY_VERIFY(windowlook::isWaiting(window));
    child<QPushButton>(window, "pbClose")->click();
    QVERIFY(!window.isVisible());
    QVERIFY(emu::log().empty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
