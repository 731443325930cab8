#include "app/dialogs.h"
#include "support/testenv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Acts on the real box once it is up and modal.
void whenBoxShown(const std::function<void(QMessageBox *)> &act)
{
    QTimer::singleShot(0, [act] {
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())));
        act(box);
    });
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void realQuestionBox_data();
    void realQuestionBox();
    void scriptedBoxesAreRecorded();
    void scriptedDefaultsAreSafe();
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

void TestDialogs::realQuestionBox_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes clicked") << 0 << int(QMessageBox::Yes);
    QTest::newRow("No clicked") << 1 << int(QMessageBox::No);
    QTest::newRow("Escape") << 2 << int(QMessageBox::No);
}

void TestDialogs::realQuestionBox()
{
    QFETCH(int, action);
    QFETCH(int, answer);
    dialogs::script::setEnabled(false);

    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenBoxShown([&](QMessageBox *box) {
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        if (action == 2)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(action == 0 ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    const auto result = dialogs::question(nullptr, "Update", "A new firmware is available, update now?");
    QCOMPARE(int(result), answer);
    QCOMPARE(title, QStringLiteral("Update"));
    QCOMPARE(text, QStringLiteral("A new firmware is available, update now?"));
    QCOMPARE(icon, QMessageBox::Question);
    QVERIFY(dialogs::script::boxes().isEmpty());
}

void TestDialogs::scriptedBoxesAreRecorded()
{
    dialogs::script::queueButton(QMessageBox::Yes);
    QCOMPARE(dialogs::question(nullptr, "Notify", "Do you want to continue?"), QMessageBox::Yes);
    QCOMPARE(dialogs::critical(nullptr, "Error", "Can not save setting."), QMessageBox::Ok);

    const QList<dialogs::ShownBox> boxes = dialogs::script::boxes();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].icon, QMessageBox::Question);
    QCOMPARE(boxes[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(boxes[1].icon, QMessageBox::Critical);
    QCOMPARE(boxes[1].title, QStringLiteral("Error"));
    QCOMPARE(boxes[1].text, QStringLiteral("Can not save setting."));
    QCOMPARE(boxes[1].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    dialogs::script::queueColor(QColor(1, 2, 3));
    dialogs::script::queuePath("/tmp/image.bin");
    QCOMPARE(dialogs::getColor(Qt::white), QColor(1, 2, 3));
    QCOMPARE(dialogs::getOpenFileName("Firmware File (*.bin);;"), QStringLiteral("/tmp/image.bin"));
    QCOMPARE(dialogs::script::colorDialogs(), 1);
    QCOMPARE(dialogs::script::fileDialogs(), 1);
}

void TestDialogs::scriptedDefaultsAreSafe()
{
    // Unscripted answers are what a dismissed dialog gives: No, cancel.
    QCOMPARE(dialogs::question(nullptr, "Notify", "Delete?"), QMessageBox::No);
    QVERIFY(!dialogs::getColor(Qt::red).isValid());
    QVERIFY(dialogs::getOpenFileName(QString()).isEmpty());
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
