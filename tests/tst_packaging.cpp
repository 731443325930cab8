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
        if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(alternative))
                .match(value)
                .hasMatch())
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
    static const QRegularExpression pair(
        QStringLiteral(R"re(^\s*([A-Z]+(?:\{\w+\})?)\s*(==|!=|\+=|=)\s*"([^"]*)"\s*(?:,|$))re"));
    bool tagged = false;
    for (const QString &line : rules.split(QLatin1Char('\n'))) {
        const QString rule = line.trimmed();
        if (rule.isEmpty() || rule.startsWith(QLatin1Char('#')))
            continue;
        bool matches = true;
        bool tags = false;
        int at = 0;
        while (at < rule.size()) {
            const QRegularExpressionMatch m = pair.match(rule.mid(at));
            if (!m.hasMatch()) {
                qWarning("unreadable rule: %s", qPrintable(rule));
                return false;
            }
            at += int(m.capturedLength());
            const QString key = m.captured(1), op = m.captured(2), value = m.captured(3);
            if (op == QLatin1String("==") || op == QLatin1String("!=")) {
                QString actual;
                if (key == QLatin1String("SUBSYSTEM"))
                    actual = device.subsystem;
                else if (key == QLatin1String("ATTRS{idVendor}"))
                    actual = device.vendor;
                else if (key == QLatin1String("ATTRS{idProduct}"))
                    actual = device.product;
                else {
                    qWarning("unexpected match key %s", qPrintable(key));
                    return false;
                }
                matches = matches && (globMatches(value, actual) == (op == QLatin1String("==")));
            } else if (key == QLatin1String("TAG") && op == QLatin1String("+=") &&
                       value == QLatin1String("uaccess")) {
                tags = true;
            } else {
                qWarning("unexpected assignment %s%s\"%s\"", qPrintable(key), qPrintable(op),
                         qPrintable(value));
                return false;
            }
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

// The value of a key in the [Desktop Entry] group.
QString desktopValue(const QByteArray &entry, const QString &key)
{
    const QRegularExpression line(QStringLiteral("^%1=(.*)$").arg(key),
                                  QRegularExpression::MultilineOption);
    return line.match(QString::fromUtf8(entry)).captured(1).trimmed();
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
    void validate_data();
    void validate();

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
    QTest::newRow("RALKA id 2007") << hidraw << "7b3e"
                                   << "2007" << true;
    QTest::newRow("id 2008") << hidraw << "7b3e"
                             << "2008" << true;
    QTest::newRow("id 2009") << hidraw << "7b3e"
                             << "2009" << true;
    QTest::newRow("id 2006") << hidraw << "7b3e"
                             << "2006" << false;
    QTest::newRow("id 200a") << hidraw << "7b3e"
                             << "200a" << false;
    QTest::newRow("id 2017") << hidraw << "7b3e"
                             << "2017" << false;
    QTest::newRow("id 0001") << hidraw << "7b3e"
                             << "0001" << false;
    QTest::newRow("other vendor") << hidraw << "7b3f"
                                  << "2007" << false;
    QTest::newRow("no vendor") << hidraw << ""
                               << "2007" << false;
    QTest::newRow("usb device node") << "usb"
                                     << "7b3e"
                                     << "2007" << false;
    QTest::newRow("input node") << "input"
                                << "7b3e"
                                << "2008" << false;
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

// Every file in its place, nothing else, and the files name one another
// rightly: the entry's command and icon, the metainfo's launchable.
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
    QCOMPARE(desktopValue(entry, QStringLiteral("Exec")), QStringLiteral("nolkset"));
    QCOMPARE(desktopValue(entry, QStringLiteral("Icon")), QStringLiteral("nolkset"));
    const QByteArray metainfo = readAll(root + expected[4]);
    QVERIFY(metainfo.contains("<id>com.nolkcontrols.nolkset</id>"));
    QVERIFY(metainfo.contains("<launchable type=\"desktop-id\">nolkset.desktop</launchable>"));
    QVERIFY(metainfo.contains("<binary>nolkset</binary>"));
}

// The installed files as the desktop's own validators read them.
void TestPackaging::validate_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("desktop entry")
        << "desktop-file-validate"
        << QStringList{prefix.path() + QStringLiteral("/share/applications/nolkset.desktop")};
    QTest::newRow("metainfo")
        << "appstreamcli"
        << QStringList{QStringLiteral("validate"), QStringLiteral("--no-net"),
                       prefix.path() +
                           QStringLiteral("/share/metainfo/com.nolkcontrols.nolkset.metainfo.xml")};
    QTest::newRow("installed tree")
        << "appstreamcli"
        << QStringList{QStringLiteral("validate-tree"), QStringLiteral("--no-net"), prefix.path()};
}

void TestPackaging::validate()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);

    QProcess validator;
    validator.setProcessChannelMode(QProcess::MergedChannels);
    validator.start(program, arguments);
    QVERIFY2(validator.waitForFinished(60000),
             qPrintable(program + QStringLiteral(" did not run")));
    QVERIFY2(validator.exitStatus() == QProcess::NormalExit && validator.exitCode() == 0,
             validator.readAll().constData());
}

QTEST_MAIN(TestPackaging)
#include "tst_packaging.moc"
