#include "app/dialogs.h"
#include "support/testenv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void realBox_data();
    void realBox();
    void scripted();
};

void TestDialogs::initTestCase()
{
    testenv::isolate();
}

void TestDialogs::cleanup()
{
    dialogs::script::setEnabled(true);
    dialogs::script::reset();
}

using ShowBox = QMessageBox::StandardButton (*)(QWidget *, const QString &, const QString &);
Q_DECLARE_METATYPE(ShowBox)

void TestDialogs::realBox_data()
{
    QTest::addColumn<ShowBox>("show");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("answer");
    const int escape = -1;
    QTest::newRow("question, Yes clicked") << &dialogs::question << int(QMessageBox::Question)
                                           << int(QMessageBox::Yes) << int(QMessageBox::Yes);
    QTest::newRow("question, Escape")
        << &dialogs::question << int(QMessageBox::Question) << escape << int(QMessageBox::No);
    QTest::newRow("information, OK clicked")
        << &dialogs::information << int(QMessageBox::Information) << int(QMessageBox::Ok)
        << int(QMessageBox::Ok);
    QTest::newRow("critical, OK clicked") << &dialogs::critical << int(QMessageBox::Critical)
                                          << int(QMessageBox::Ok) << int(QMessageBox::Ok);
}

void TestDialogs::realBox()
{
    QFETCH(ShowBox, show);
    QFETCH(int, icon);
    QFETCH(int, press);
    QFETCH(int, answer);
    dialogs::script::setEnabled(false);

    QString title;
    QString text;
    int shownIcon = QMessageBox::NoIcon;
    // Acts on the real box once it is up and modal.
    QTimer::singleShot(0, [&] {
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())));
        title = box->windowTitle();
        text = box->text();
        shownIcon = box->icon();
        if (press < 0)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(QMessageBox::StandardButton(press))->click();
    });
    const auto result = show(nullptr, "Update", "A new firmware is available.");
    QCOMPARE(int(result), answer);
    QCOMPARE(title, QStringLiteral("Update"));
    QCOMPARE(text, QStringLiteral("A new firmware is available."));
    QCOMPARE(shownIcon, icon);
    QVERIFY(dialogs::script::boxes().isEmpty());
}

// Scripted boxes are recorded; unscripted answers are what a dismissed
// dialog gives: No, cancel.
void TestDialogs::scripted()
{
    QCOMPARE(dialogs::question(nullptr, "Notify", "Delete?"), QMessageBox::No);
    QVERIFY(!dialogs::getColor(Qt::red).isValid());
    QVERIFY(dialogs::getOpenFileName(QString()).isEmpty());
    dialogs::script::reset();

    dialogs::script::queueButton(QMessageBox::Yes);
    QCOMPARE(dialogs::question(nullptr, "Notify", "Do you want to continue?"), QMessageBox::Yes);
    QCOMPARE(dialogs::critical(nullptr, "Error", "Can not save setting."), QMessageBox::Ok);
    const QList<dialogs::ShownBox> boxes = dialogs::script::boxes();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(boxes[1].icon, QMessageBox::Critical);
    QCOMPARE(boxes[1].text, QStringLiteral("Can not save setting."));
    QCOMPARE(boxes[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    dialogs::script::queueColor(QColor(1, 2, 3));
    dialogs::script::queuePath("/tmp/image.bin");
    QCOMPARE(dialogs::getColor(Qt::white), QColor(1, 2, 3));
    QCOMPARE(dialogs::getOpenFileName("Firmware File (*.bin);;"), QStringLiteral("/tmp/image.bin"));
    QCOMPARE(dialogs::script::colorDialogs(), 1);
    QCOMPARE(dialogs::script::fileDialogs(), 1);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
