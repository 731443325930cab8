#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString RulesSource = QStringLiteral(NOLKSET_SOURCE_DIR "/packaging/linux/70-nolkset.rules");

} // namespace

class TestPackaging : public QObject
{
    Q_OBJECT

    QTemporaryDir prefix;

private slots:
    // One install into a temporary prefix serves the layout and validation tests.
    void initTestCase()
    {
        QVERIFY(prefix.isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(NOLKSET_BINARY_DIR),
                       QStringLiteral("--prefix"), prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    }

    // Only the wheels' hidraw nodes, as "subsystem vendor:product", get the
    // seat's uaccess tag. A line of any other shape fails the test: a rule
    // this reading does not cover must not pass unchecked.
    void udevRule()
    {
        static const QRegularExpression rule(QString::fromLatin1(
            R"re(^SUBSYSTEM=="(\w+)", ATTRS\{idVendor\}=="(\w+)", ATTRS\{idProduct\}=="(\w+)", TAG\+="uaccess"$)re"));
        QStringList tagged;
        for (const QString &line : QString::fromUtf8(readAll(RulesSource)).split('\n')) {
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const QRegularExpressionMatch m = rule.match(line);
            QVERIFY2(m.hasMatch(), qPrintable(line));
            tagged << m.captured(1) + ' ' + m.captured(2) + ':' + m.captured(3);
        }
        QCOMPARE(tagged, QStringList({"hidraw 7b3e:2007", "hidraw 7b3e:2008", "hidraw 7b3e:2009"}));
    }

    // Every file in its place, nothing else, the files name one another
    // rightly, and the desktop's validators take them.
    void installLayout()
    {
        const QString root = prefix.path() + QLatin1Char('/');
        QStringList installed;
        QDirIterator it(prefix.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            installed << it.next().mid(root.size());
        installed.sort();
        const QStringList expected{
            QStringLiteral("bin/nolkset"),
            QStringLiteral("lib/udev/rules.d/70-nolkset.rules"),
            QStringLiteral("share/applications/nolkset.desktop"),
            QStringLiteral("share/icons/hicolor/48x48/apps/nolkset.png"),
            QStringLiteral("share/metainfo/com.nolkcontrols.nolkset.metainfo.xml"),
        };
        QCOMPARE(installed, expected);

        QCOMPARE(QImage(root + expected[3]).size(), QSize(48, 48));
        const QByteArray entry = readAll(root + expected[2]);
        QVERIFY(entry.contains("\nExec=nolkset\n"));
        QVERIFY(entry.contains("\nIcon=nolkset\n"));
        QVERIFY(readAll(root + expected[4])
                    .contains("<launchable type=\"desktop-id\">nolkset.desktop<"));

        for (const QStringList &command :
             QList<QStringList>{{"desktop-file-validate", root + expected[2]},
                                {"appstreamcli", "validate-tree", "--no-net", prefix.path()}}) {
            QProcess validator;
            validator.setProcessChannelMode(QProcess::MergedChannels);
            validator.start(command[0], command.mid(1));
            QVERIFY2(validator.waitForFinished(60000), qPrintable(command[0] + " did not run"));
            QVERIFY2(validator.exitStatus() == QProcess::NormalExit && validator.exitCode() == 0,
                     validator.readAll().constData());
        }
    }
};

QTEST_MAIN(TestPackaging)
#include "tst_packaging.moc"
