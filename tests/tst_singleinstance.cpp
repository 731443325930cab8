#include "app/singleinstance.h"
#include "support/debugcapture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

enum class First {
    Running,
    // Running for long: the lock file's age alone must not free it.
    RunningForAnHour,
    Crashed,
};

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
    void secondCopy_data();
    void secondCopy();
    void noLockFolderRunsUnguarded();
};

// The first copy is the tool itself (on an emulated wheel); the second is
// started while it runs, or after it crashed and left its lock behind.
void TestSingleInstance::secondCopy_data()
{
    QTest::addColumn<First>("first");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("exitCode");

    const QString refused = QStringLiteral("box Notify|NolkSet is already running.\nopens 0\n");
    QTest::newRow("first running") << First::Running << refused << 1;
    QTest::newRow("first running for an hour") << First::RunningForAnHour << refused << 1;
    QTest::newRow("first crashed") << First::Crashed << QStringLiteral("claimed\nopens 0\n") << 0;
}

void TestSingleInstance::secondCopy()
{
    QFETCH(First, first);
    QFETCH(QString, expected);
    QFETCH(int, exitCode);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString run = root.filePath(QStringLiteral("xdg_runtime_dir"));
    QVERIFY(QDir().mkdir(run));
    QVERIFY(QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner));
    const QString lockPath = run + QStringLiteral("/nolkset.lock");

    QProcess tool;
    tool.setProcessEnvironment(environment(root));
    tool.start(QStringLiteral(NOLKSET_EMULATED_PATH));
    QVERIFY(tool.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lockPath), 20000);

    if (first == First::RunningForAnHour) {
        QFile lock(lockPath);
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
    }
    if (first == First::Crashed) {
        tool.kill();
        QVERIFY(tool.waitForFinished());
        QVERIFY(QFile::exists(lockPath));
    }

    QProcess second;
    second.setProcessEnvironment(environment(root));
    second.start(QStringLiteral(INSTANCE_CHILD_PATH));
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(second.readAllStandardOutput()), expected);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), exitCode);
    if (first != First::Crashed) {
        QCOMPARE(tool.state(), QProcess::Running);
        tool.kill();
        tool.waitForFinished();
    }
}

// Without a lock folder the tool still starts, and says why it is unguarded.
void TestSingleInstance::noLockFolderRunsUnguarded()
{
    for (const QString &folder : {QString(), QDir::temp().filePath("nolkset-test-missing/x")}) {
        DebugCapture debug;
        SingleInstance instance(folder);
        QVERIFY(instance.claim());
        QCOMPARE(debug.lines().filter(QStringLiteral("running without checking")).size(), 1);
    }
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
