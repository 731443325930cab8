#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A hidraw node as udev sees it: its subsystem and the ids of the USB
// device above it, as sysfs writes them (four lowercase hex digits).
struct Device
{
    QString subsystem;
    QString vendor;
    QString product;
};

// udev's match on one value: shell globs, alternatives split by '|'.
bool globMatches(const QString &pattern, const QString &value)
{
    for (const QString &alternative : pattern.split(QLatin1Char('|'))) {
        const auto glob = QRegularExpression::wildcardToRegularExpression(alternative);
        if (QRegularExpression(glob).match(value).hasMatch())
            return true;
    }
    return false;
}

// Reads the rule file the way udev does for the keys it may use, and
// answers whether the device gets the uaccess tag. Any other key, operator or
// assignment fails the test: a rule this reading does not cover must not
// pass unchecked.
bool taggedForSeat(const QString &rules, const Device &device)
{
    static const QRegularExpression pair(QStringLiteral(
        "^\\s*([A-Z]+(?:\\{\\w+\\})?)\\s*(==|!=|\\+=|=)\\s*\"([^\"]*)\"\\s*(?:,|$)"));
    const QHash<QString, QString> values{{"SUBSYSTEM", device.subsystem},
                                         {"ATTRS{idVendor}", device.vendor},
                                         {"ATTRS{idProduct}", device.product}};
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
            if (test && values.contains(key))
                matches = matches && (globMatches(value, values[key]) == (op == "=="));
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

QString sourcePath(const QString &relative)
{
    return QStringLiteral(NOLKSET_SOURCE_DIR "/") + relative;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPackaging : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void udevRule_data();
    void udevRule();
    void installLayout();

private:
    QTemporaryDir prefix;
};

// One install into a temporary prefix serves the layout and validation tests.
void TestPackaging::initTestCase()
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

void TestPackaging::udevRule_data()
{
    QTest::addColumn<QString>("subsystem");
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("product");
    QTest::addColumn<bool>("tagged");

    const QString hidraw = QStringLiteral("hidraw");
    const QString nolk = QStringLiteral("7b3e");
    QTest::newRow("RALKA id 2007") << hidraw << nolk << "2007" << true;
    QTest::newRow("id 2008") << hidraw << nolk << "2008" << true;
    QTest::newRow("id 2009") << hidraw << nolk << "2009" << true;
    QTest::newRow("id 2006") << hidraw << nolk << "2006" << false;
    QTest::newRow("id 200a") << hidraw << nolk << "200a" << false;
    QTest::newRow("id 2017") << hidraw << nolk << "2017" << false;
    QTest::newRow("other vendor") << hidraw << QStringLiteral("7b3f") << "2007" << false;
    QTest::newRow("usb device node") << "usb" << nolk << "2007" << false;
}

void TestPackaging::udevRule()
{
    QFETCH(QString, subsystem);
    QFETCH(QString, vendor);
    QFETCH(QString, product);
    QFETCH(bool, tagged);

    const QString rules =
        QString::fromUtf8(readAll(sourcePath(QStringLiteral("packaging/linux/70-nolkset.rules"))));
    QVERIFY(!rules.isEmpty());
    QCOMPARE(taggedForSeat(rules, {subsystem, vendor, product}), tagged);
}

// Every file in its place, nothing else, the files name one another rightly,
// and the desktop's validators take them.
void TestPackaging::installLayout()
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

    QVERIFY(QFileInfo(root + expected[0]).isExecutable());
    QCOMPARE(readAll(root + expected[1]),
             readAll(sourcePath(QStringLiteral("packaging/linux/70-nolkset.rules"))));
    QCOMPARE(QImage(root + expected[3]).size(), QSize(48, 48));

    const QByteArray entry = readAll(root + expected[2]);
    QVERIFY(entry.contains("\nExec=nolkset\n"));
    QVERIFY(entry.contains("\nIcon=nolkset\n"));
    QVERIFY(
        readAll(root + expected[4]).contains("<launchable type=\"desktop-id\">nolkset.desktop<"));

    // The installed files as the desktop's own validators read them.
    const QList<QStringList> validators{
        {"desktop-file-validate", root + expected[2]},
        {"appstreamcli", "validate-tree", "--no-net", prefix.path()}};
    for (const QStringList &command : validators) {
        QProcess validator;
        validator.setProcessChannelMode(QProcess::MergedChannels);
        validator.start(command[0], command.mid(1));
        QVERIFY2(validator.waitForFinished(60000), qPrintable(command[0] + " did not run"));
        QVERIFY2(validator.exitStatus() == QProcess::NormalExit && validator.exitCode() == 0,
                 validator.readAll().constData());
    }
}

QTEST_MAIN(TestPackaging)
#include "tst_packaging.moc"
