#include "app/debugoutput.h"

#include <QEventLoop>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

// The tool's debug lines, batched on their way to standard error.
class TestDebugOutput : public QObject
{
    Q_OBJECT

private slots:
    void batches_data();
    void batches();
};

void TestDebugOutput::batches_data()
{
    QTest::addColumn<QStringList>("debugLines");
    QTest::addColumn<bool>("fromReader");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<int>("outAtOnce");

    QTest::newRow("debug lines wait for the loop") << QStringList{"pbB1", "pbB2"} << false
                                                   << QString() << 0;
    QTest::newRow("a line of another thread waits with them")
        << QStringList{"pbB1", "joystick event thread done."} << true << QString() << 0;
    QTest::newRow("a warning goes out at once, after what waited")
        << QStringList{"pbB1", "pbB2"} << false << QStringLiteral("Cannot find Bluez") << 3;
    const QStringList many(100, QString(49, QLatin1Char('x')));
    QTest::newRow("4 KiB go out without the loop") << many << false << QString() << 82;
}

void TestDebugOutput::batches()
{
    QFETCH(QStringList, debugLines);
    QFETCH(bool, fromReader);
    QFETCH(QString, warning);
    QFETCH(int, outAtOnce);

    QTemporaryFile captured;
    QVERIFY(captured.open());
    std::fflush(stderr);
    const int savedStderr = dup(STDERR_FILENO);
    QVERIFY(dup2(captured.handle(), STDERR_FILENO) >= 0);
    const QtMessageHandler testHandler = qInstallMessageHandler(nullptr);
    debugoutput::install();

    for (qsizetype i = 0; i < debugLines.size(); ++i) {
        if (fromReader && i == debugLines.size() - 1) {
            QScopedPointer<QThread> reader(
                QThread::create([line = debugLines.at(i)] { qDebug().noquote() << line; }));
            reader->start();
            reader->wait();
        } else {
            qDebug().noquote() << debugLines.at(i);
        }
    }
    if (!warning.isEmpty())
        qWarning().noquote() << warning;
    QFile early(captured.fileName());
    QVERIFY(early.open(QIODevice::ReadOnly));
    const int earlyLines = static_cast<int>(early.readAll().count('\n'));
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();

    qInstallMessageHandler(testHandler);
    dup2(savedStderr, STDERR_FILENO);
    close(savedStderr);

    QFile all(captured.fileName());
    QVERIFY(all.open(QIODevice::ReadOnly));
    QStringList expected = debugLines;
    if (!warning.isEmpty())
        expected << warning;
    QCOMPARE(QString::fromLocal8Bit(all.readAll()), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    QCOMPARE(earlyLines, outAtOnce);
}

QTEST_MAIN(TestDebugOutput)
#include "tst_debugoutput.moc"
