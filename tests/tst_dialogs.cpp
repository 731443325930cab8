#include "app/dialogs.h"
#include "support/testenv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

using ShowBox = QMessageBox::StandardButton (*)(QWidget *, const QString &, const QString &);
Q_DECLARE_METATYPE(ShowBox)

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testenv::isolate(); }

    void cleanup()
    {
        dialogs::script::setEnabled(true);
        dialogs::script::reset();
    }

    void realBox_data()
    {
        QTest::addColumn<ShowBox>("show");
        QTest::addColumn<int>("icon");
        // The button clicked, or -1 for Escape, which answers No.
        QTest::addColumn<int>("press");
        QTest::newRow("question, Yes clicked")
            << &dialogs::question << int(QMessageBox::Question) << int(QMessageBox::Yes);
        QTest::newRow("question, Escape") << &dialogs::question << int(QMessageBox::Question) << -1;
        QTest::newRow("information, OK clicked")
            << &dialogs::information << int(QMessageBox::Information) << int(QMessageBox::Ok);
        QTest::newRow("critical, OK clicked")
            << &dialogs::critical << int(QMessageBox::Critical) << int(QMessageBox::Ok);
    }

    void realBox()
    {
        QFETCH(ShowBox, show);
        QFETCH(int, press);
        dialogs::script::setEnabled(false);
        QString shown;
        int icon = QMessageBox::NoIcon;
        // Acts on the real box once it is up and modal.
        QTimer::singleShot(0, [&] {
            QMessageBox *box = nullptr;
            QTRY_VERIFY((box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())));
            shown = box->windowTitle() + '|' + box->text();
            icon = box->icon();
            if (press < 0)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(QMessageBox::StandardButton(press))->click();
        });
        QCOMPARE(int(show(nullptr, "Update", "A new firmware is available.")),
                 press < 0 ? int(QMessageBox::No) : press);
        QCOMPARE(shown, QStringLiteral("Update|A new firmware is available."));
        QTEST(icon, "icon");
    }

    // Unscripted answers are what a dismissed dialog gives: No, cancel;
    // scripted colours and paths are given back, and every file dialog counted.
    // (Scripted buttons and the boxes recorded are held by the window tests.)
    void scripted()
    {
        QCOMPARE(dialogs::question(nullptr, "Notify", "Delete?"), QMessageBox::No);
        QVERIFY(!dialogs::getColor(Qt::red).isValid());
        QVERIFY(dialogs::getOpenFileName(QString()).isEmpty());
        dialogs::script::queueColor(QColor(1, 2, 3));
        dialogs::script::queuePath("/tmp/image.bin");
        QCOMPARE(dialogs::getColor(Qt::white), QColor(1, 2, 3));
        QCOMPARE(dialogs::getOpenFileName("Firmware File (*.bin);;"),
                 QStringLiteral("/tmp/image.bin"));
        QCOMPARE(dialogs::script::fileDialogs(), 2);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
