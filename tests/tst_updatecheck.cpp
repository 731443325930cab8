#include "firmware/downloadedimage.h"
#include "firmware/updatecheck.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using updatecheck::VersionDocument;

class TestUpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void versionDocument_data();
    void versionDocument();
    void buildDates_data();
    void buildDates();
    void digestListed_data();
    void digestListed();
    void savedImage_data();
    void savedImage();
    void unwritableTempFolder_data();
    void unwritableTempFolder();
};

void TestUpdateCheck::cleanup()
{
    QLocale::setDefault(QLocale::c());
    qunsetenv("TMPDIR");
}

void TestUpdateCheck::versionDocument_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("isObject");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("md5");

    QTest::newRow("complete") << QByteArray(R"({"name":"r.bin","version":"Mar 5 2024,10:30",)"
                                            R"("md5":"ABC","size":3})")
                              << true << "r.bin"
                              << "Mar 5 2024,10:30"
                              << "ABC";
    QTest::newRow("members missing") << QByteArray("{}") << true << ""
                                     << ""
                                     << "";
    QTest::newRow("members not strings")
        << QByteArray(R"({"name":7,"version":null,"md5":["x"]})") << true << ""
        << ""
        << "";
    QTest::newRow("array") << QByteArray(R"([{"name":"r.bin"}])") << false << ""
                           << ""
                           << "";
    QTest::newRow("empty body") << QByteArray() << false << ""
                                << ""
                                << "";
    QTest::newRow("html error page") << QByteArray("<html>404</html>") << false << ""
                                     << ""
                                     << "";
    QTest::newRow("cut short") << QByteArray(R"({"name":"r.bin")") << false << ""
                               << ""
                               << "";
}

void TestUpdateCheck::versionDocument()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, isObject);
    const std::optional<VersionDocument> document = updatecheck::readVersionDocument(body);
    QCOMPARE(document.has_value(), isObject);
    if (!document)
        return;
    QTEST(document->name, "name");
    QTEST(document->version, "version");
    QTEST(document->md5, "md5");
}

void TestUpdateCheck::buildDates_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("server");
    // 0: the wheel's date is earlier, 1: equal, 2: later; -1 wheel's invalid,
    // -2 server's invalid.
    QTest::addColumn<int>("order");

    const QString wheel = QStringLiteral("Firmware Version:\tMar  5 2024,10:30");
    QTest::newRow("server newer") << "C" << wheel << "Apr 1 2024,08:00" << 0;
    QTest::newRow("padded day equals") << "C" << wheel << "Mar 5 2024,10:30" << 1;
    QTest::newRow("wheel newer") << "C" << wheel << "Mar 5 2024,10:29" << 2;
    QTest::newRow("minute later on the server") << "C" << wheel << "Mar 5 2024,10:31" << 0;
    QTest::newRow("year decides over month") << "C" << wheel << "Jan 2 2025,00:00" << 0;
    QTest::newRow("German user") << "de_DE" << wheel << "May 5 2024,10:30" << 0;
    QTest::newRow("French user") << "fr_FR" << wheel << "Dec 31 2023,23:59" << 2;
    QTest::newRow("Japanese user") << "ja_JP" << wheel << "Mar 5 2024,10:30" << 1;
    QTest::newRow("server seconds") << "C" << wheel << "Mar 5 2024,10:30:00" << -2;
    QTest::newRow("server numeric month") << "C" << wheel << "3 5 2024,10:30" << -2;
    QTest::newRow("server localised month") << "de_DE" << wheel << "Mär 5 2024,10:30" << -2;
    QTest::newRow("server padded day") << "C" << wheel << "Mar  5 2024,10:30" << -2;
    QTest::newRow("server empty") << "C" << wheel << "" << -2;
    QTest::newRow("label without TAB") << "C"
                                       << "Firmware Version:Mar 5 2024,10:30"
                                       << "Mar 5 2024,10:30" << -1;
    QTest::newRow("label empty") << "C"
                                 << ""
                                 << "Mar 5 2024,10:30" << -1;
    QTest::newRow("date after a second TAB") << "C"
                                             << "Firmware Version:\t\tMar 5 2024,10:30"
                                             << "Mar 5 2024,10:30" << -1;
    QTest::newRow("fields behind the date") << "C"
                                            << "Firmware Version:\tMar 5 2024,10:30\tbeta"
                                            << "Mar 5 2024,10:30" << 1;
}

void TestUpdateCheck::buildDates()
{
    QFETCH(QString, locale);
    QFETCH(QString, label);
    QFETCH(QString, server);
    QFETCH(int, order);
    QLocale::setDefault(QLocale(locale));

    const QDateTime wheelDate = updatecheck::wheelBuildDate(label);
    const QDateTime serverDate = updatecheck::serverBuildDate(server);
    QCOMPARE(wheelDate.isValid(), order != -1);
    QCOMPARE(serverDate.isValid(), order != -2);
    if (order < 0)
        return;
    QCOMPARE(wheelDate, QDateTime(QDate(2024, 3, 5), QTime(10, 30), Qt::LocalTime));
    QCOMPARE(wheelDate < serverDate, order == 0);
    QCOMPARE(wheelDate == serverDate, order == 1);
}

void TestUpdateCheck::digestListed_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("listed");

    const QByteArray image("NOLKFW:Apr 1 2024,08:00");
    const QString digest = QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex();
    QTest::newRow("lower case") << image << "MD5: " + digest << true;
    QTest::newRow("upper case") << image << "MD5: " + digest.toUpper() << true;
    QTest::newRow("within other text") << image << "MD5: x" + digest + "y" << true;
    QTest::newRow("no md5 published") << image << "MD5: " << false;
    QTest::newRow("other image") << QByteArray("NOLKFW:") << "MD5: " + digest << false;
    QTest::newRow("digest cut short") << image << "MD5: " + digest.left(31) << false;
    QTest::newRow("empty download") << QByteArray() << "MD5: " + digest << false;
}

void TestUpdateCheck::digestListed()
{
    QFETCH(QByteArray, image);
    QFETCH(QString, line);
    QTEST(updatecheck::digestListed(image, line), "listed");
}

void TestUpdateCheck::savedImage_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("flash sized") << QByteArray(229376, '\x5A');
    QTest::newRow("largest download") << QByteArray(updatecheck::MaxImageBytes, '\x00');
}

void TestUpdateCheck::savedImage()
{
    QFETCH(QByteArray, image);
    QTemporaryDir temp;
    qputenv("TMPDIR", QFile::encodeName(temp.path()));

    // What someone else could have put under the names the program might pick.
    const QString victim = temp.filePath(QStringLiteral("victim"));
    QFile victimFile(victim);
    QVERIFY(victimFile.open(QIODevice::WriteOnly));
    victimFile.write("keep");
    victimFile.close();
    QVERIFY(QFile::link(victim, temp.filePath(QStringLiteral("nolk.firmware.bin"))));

    const QString first = saveDownloadedImage(image);
    const QString second = saveDownloadedImage(image);
    for (const QString &path : {first, second}) {
        QVERIFY(!path.isEmpty());
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(temp.path()).canonicalPath());
        QVERIFY(path.endsWith(QLatin1String(".bin")));
        QVERIFY(!QFileInfo(path).isSymLink());
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), image);
        // Other users of the machine may not read it.
        QCOMPARE(saved.permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
    }
    QVERIFY(first != second);
    QVERIFY(victimFile.open(QIODevice::ReadOnly));
    QCOMPARE(victimFile.readAll(), QByteArray("keep"));
}

void TestUpdateCheck::unwritableTempFolder_data()
{
    QTest::addColumn<QString>("tmpdir");
    QTest::newRow("missing folder") << "gone";
    QTest::newRow("a file, not a folder") << "file";
}

void TestUpdateCheck::unwritableTempFolder()
{
    QFETCH(QString, tmpdir);
    QTemporaryDir temp;
    QFile file(temp.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QStringList before = QDir::root().entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    qputenv("TMPDIR", QFile::encodeName(temp.filePath(tmpdir)));
    QCOMPARE(saveDownloadedImage("image"), QString());
    QCOMPARE(QDir(temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{QStringLiteral("file")});
    QCOMPARE(QDir::root().entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before);
}

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
