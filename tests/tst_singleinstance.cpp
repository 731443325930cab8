#include "app/singleinstance.h"
#include "support/debugcapture.h"
#include "support/firmwareimage.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// The environment of both copies: a private runtime folder for the lock, and
// home, settings and caches in the temporary folder too.
QProcessEnvironment environment(const QTemporaryDir &root)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name :
         {"XDG_RUNTIME_DIR", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        env.insert(name, root.path() + "/" + QString(name).toLower());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    // The first copy is the tool itself (on an emulated wheel); the second is
    // started while it runs, its lock an hour old (the age alone must not free
    // it), while it does not answer (stopped), or after it crashed and left
    // its lock behind. A command line refuses to flash the wheel the running
    // window holds.
    void secondCopy_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first running for an hour") << "running" << "raised\nopens 0\n";
        QTest::newRow("first not answering")
            << "stopped" << "box Notify|NolkSet is already running.\nopens 0\n";
        QTest::newRow("first crashed") << "crashed" << "claimed\nopens 0\n";
    }

    void secondCopy()
    {
        QFETCH(QString, first);
        const bool crashed = first == QLatin1String("crashed");
        QTemporaryDir root;
        const QString run = root.filePath(QStringLiteral("xdg_runtime_dir"));
        QVERIFY(QDir().mkdir(run));
        QVERIFY(QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner));
        const QString lockPath = run + QStringLiteral("/nolkset.lock");

        QProcess tool;
        tool.setProcessEnvironment(environment(root));
        tool.start(QStringLiteral(NOLKSET_EMULATED_PATH));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(run + QStringLiteral("/nolkset.socket")), 20000);

        if (crashed) {
            tool.kill();
            QVERIFY(tool.waitForFinished());
            QVERIFY(QFile::exists(lockPath));
        } else {
            QFile lock(lockPath);
            QVERIFY(lock.open(QIODevice::ReadWrite));
            QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                     QFileDevice::FileModificationTime));
        }

        if (first == QLatin1String("stopped"))
            QCOMPARE(::kill(static_cast<pid_t>(tool.processId()), SIGSTOP), 0);

        QProcess second;
        second.setProcessEnvironment(environment(root));
        second.start(QStringLiteral(INSTANCE_CHILD_PATH));
        QVERIFY(second.waitForFinished(30000));
        QTEST(QString::fromUtf8(second.readAllStandardOutput()), "expected");
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), first == QLatin1String("stopped") ? 1 : 0);
        if (first == QLatin1String("running")) {
            const QString image = root.filePath(QStringLiteral("image.bin"));
            QVERIFY(firmwareimage::write(image, firmwareimage::make(64)));
            QProcess flash;
            flash.setProcessEnvironment(environment(root));
            flash.start(QStringLiteral(NOLKSET_EMULATED_PATH), {"--flash", image});
            QVERIFY(flash.waitForFinished(30000));
            QCOMPARE(flash.exitCode(), 6);
            QVERIFY(flash.readAllStandardError().contains("MANUAL UPDATE"));
        }
        if (!crashed) {
            QCOMPARE(tool.state(), QProcess::Running);
            tool.kill();
            tool.waitForFinished();
        }
    }

    // Without a lock folder the tool still starts, and says why it is unguarded.
    void noLockFolderRunsUnguarded()
    {
        for (const QString &folder : {QString(), QDir::temp().filePath("nolkset-test-missing/x")}) {
            DebugCapture debug;
            SingleInstance instance(folder);
            QVERIFY(instance.claim());
            QCOMPARE(debug.lines().filter(QStringLiteral("running without checking")).size(), 1);
        }
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
