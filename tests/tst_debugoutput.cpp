#include "app/debugoutput.h"

#include <QEventLoop>
#include <QTemporaryFile>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <thread>
#include <unistd.h>

// The tool's debug lines, batched on their way to standard error.
class TestDebugOutput : public QObject
{
    Q_OBJECT

private slots:
    // The last debug line comes from another thread, as the reader's do.
    void batches_data()
    {
        QTest::addColumn<QStringList>("debugLines");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<int>("outAtOnce");
        QTest::newRow("debug lines wait for the loop")
            << QStringList{"pbB1", "joystick event thread done."} << QString() << 0;
        QTest::newRow("a warning goes out at once, after what waited")
            << QStringList{"pbB1", "pbB2"} << QStringLiteral("Cannot find Bluez") << 3;
        const QStringList many(100, QString(49, QLatin1Char('x')));
        QTest::newRow("4 KiB go out without the loop") << many << QString() << 82;
    }

    void batches()
    {
        QFETCH(QStringList, debugLines);
        QFETCH(QString, warning);
        QTemporaryFile captured;
        QVERIFY(captured.open());
        const auto written = [&captured] {
            QFile file(captured.fileName());
            return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : "?";
        };
        std::fflush(stderr);
        const int savedStderr = dup(STDERR_FILENO);
        QVERIFY(dup2(captured.handle(), STDERR_FILENO) >= 0);
        const QtMessageHandler testHandler = qInstallMessageHandler(nullptr);
        debugoutput::install();

        for (const QString &line : debugLines.mid(0, debugLines.size() - 1))
            qDebug().noquote() << line;
        std::thread([line = debugLines.last()] { qDebug().noquote() << line; }).join();
        if (!warning.isEmpty())
            qWarning().noquote() << warning;
        const int earlyLines = static_cast<int>(written().count('\n'));
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();

        qInstallMessageHandler(testHandler);
        dup2(savedStderr, STDERR_FILENO);
        close(savedStderr);

        QStringList expected = debugLines;
        if (!warning.isEmpty())
            expected << warning;
        QCOMPARE(written(), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        QTEST(earlyLines, "outAtOnce");
    }
};

QTEST_MAIN(TestDebugOutput)
#include "tst_debugoutput.moc"
