#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Reads the rule file the way udev does for the keys it may use, and answers
// whether a device with these values (ids as sysfs writes them) gets the
// uaccess tag; rule values are shell globs. Any other key, operator or
// assignment fails the test: a rule this reading does not cover must not pass
// unchecked.
bool taggedForSeat(const QString &rules, const QHash<QString, QString> &values)
{
    static const QRegularExpression pair(QStringLiteral(
        "^\\s*([A-Z]+(?:\\{\\w+\\})?)\\s*(==|!=|\\+=|=)\\s*\"([^\"]*)\"\\s*(?:,|$)"));
    bool tagged = false;
    for (const QString &line : rules.split(QLatin1Char('\n'))) {
        const QString rule = line.trimmed();
        if (rule.isEmpty() || rule.startsWith(QLatin1Char('#')))
            continue;
        bool matches = true;
        bool tags = false;
        for (int at = 0; at < rule.size();) {
            const QRegularExpressionMatch m = pair.match(rule.mid(at));
            const QString key = m.captured(1), op = m.captured(2), value = m.captured(3);
            const bool test = op == QLatin1String("==") || op == QLatin1String("!=");
            const auto glob = QRegularExpression::wildcardToRegularExpression(value);
            if (test && values.contains(key))
                matches = matches &&
                          (QRegularExpression(glob).match(values[key]).hasMatch() == (op == "=="));
            else if (key == QLatin1String("TAG") && op == "+=" && value == "uaccess")
                tags = true;
            else {
                qWarning("unexpected in rule: %s", qPrintable(rule.mid(at)));
                return false;
            }
            at += int(m.capturedLength());
        }
        tagged = tagged || (matches && tags);
    }
    return tagged;
}

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

    // A device as "subsystem vendor:product".
    void udevRule_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("tagged");
        QTest::newRow("RALKA id 2007") << "hidraw 7b3e:2007" << true;
        QTest::newRow("id 2008") << "hidraw 7b3e:2008" << true;
        QTest::newRow("id 2009") << "hidraw 7b3e:2009" << true;
        QTest::newRow("id 2006") << "hidraw 7b3e:2006" << false;
        QTest::newRow("id 200a") << "hidraw 7b3e:200a" << false;
        QTest::newRow("id 2017") << "hidraw 7b3e:2017" << false;
        QTest::newRow("other vendor") << "hidraw 7b3f:2007" << false;
        QTest::newRow("usb device node") << "usb 7b3e:2007" << false;
    }

    void udevRule()
    {
        QFETCH(QString, device);
        const QStringList part = device.split(QRegularExpression("[ :]"));
        const QString rules = QString::fromUtf8(readAll(RulesSource));
        QVERIFY(!rules.isEmpty());
        QTEST(taggedForSeat(rules, {{"SUBSYSTEM", part[0]},
                                    {"ATTRS{idVendor}", part[1]},
                                    {"ATTRS{idProduct}", part[2]}}),
              "tagged");
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
