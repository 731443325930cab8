#include "firmware/downloadedimage.h"
#include "firmware/updatecheck.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

class TestUpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        qunsetenv("TMPDIR");
    }

    // The members read, joined by '|'; a null string when the body is no object.
    void versionDocument_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("members");
        QTest::newRow("complete")
            << QByteArray(R"({"name":"r.bin","version":"Mar 5 2024,10:30","md5":"ABC","size":3})")
            << "r.bin|Mar 5 2024,10:30|ABC";
        QTest::newRow("members not strings or missing")
            << QByteArray(R"({"name":7,"md5":["x"]})") << "||";
        QTest::newRow("array") << QByteArray(R"([{"name":"r.bin"}])") << QString();
    }

    void versionDocument()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, members);
        const auto document = updatecheck::readVersionDocument(body);
        QCOMPARE(document.has_value(), !members.isNull());
        if (document)
            QCOMPARE(document->name + '|' + document->version + '|' + document->md5, members);
    }

    void buildDates_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("server");
        // 0: the wheel's date is earlier, 1: equal, 2: later; -1 wheel's
        // invalid, -2 server's invalid.
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("locale");
        const QString wheel = QStringLiteral("Firmware Version:\tMar  5 2024,10:30");
        const QString c = QStringLiteral("C"), same = QStringLiteral("Mar 5 2024,10:30");
        QTest::newRow("server newer") << wheel << "Apr 1 2024,08:00" << 0 << c;
        QTest::newRow("padded day equals") << wheel << same << 1 << c;
        QTest::newRow("wheel newer") << wheel << "Mar 5 2024,10:29" << 2 << c;
        QTest::newRow("Japanese user") << wheel << same << 1 << "ja_JP";
        QTest::newRow("server seconds") << wheel << "Mar 5 2024,10:30:00" << -2 << c;
        QTest::newRow("server numeric month") << wheel << "3 5 2024,10:30" << -2 << c;
        QTest::newRow("server localised month") << wheel << "Mär 5 2024,10:30" << -2 << "de_DE";
        QTest::newRow("server padded day") << wheel << "Mar  5 2024,10:30" << -2 << c;
        QTest::newRow("label without TAB")
            << "Firmware Version:Mar 5 2024,10:30" << same << -1 << c;
        QTest::newRow("date after a second TAB")
            << "Firmware Version:\t\tMar 5 2024,10:30" << same << -1 << c;
        QTest::newRow("fields behind the date")
            << "Firmware Version:\tMar 5 2024,10:30\tbeta" << same << 1 << c;
    }

    void buildDates()
    {
        QFETCH(QString, label);
        QFETCH(QString, server);
        QFETCH(int, order);
        QFETCH(QString, locale);
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

    void digestListed_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("listed");
        const QByteArray image("NOLKFW:Apr 1 2024,08:00");
        const QString digest = QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex();
        QTest::newRow("lower case") << image << "MD5: " + digest << true;
        QTest::newRow("upper case") << image << "MD5: " + digest.toUpper() << true;
        QTest::newRow("no md5 published") << image << "MD5: " << false;
        QTest::newRow("other image") << QByteArray("NOLKFW:") << "MD5: " + digest << false;
        QTest::newRow("digest cut short") << image << "MD5: " + digest.left(31) << false;
    }

    void digestListed()
    {
        QFETCH(QByteArray, image);
        QFETCH(QString, line);
        QTEST(updatecheck::digestListed(image, line), "listed");
    }

    // Two saves of an image: two fresh files, private to the user.
    void savedImage()
    {
        const QByteArray image(1048576, '\x5A');
        QTemporaryDir temp;
        qputenv("TMPDIR", QFile::encodeName(temp.path()));

        const QString first = downloadedimage::save(image);
        const QString second = downloadedimage::save(image);
        for (const QString &path : {first, second}) {
            QCOMPARE(QFileInfo(path).absolutePath(), QDir(temp.path()).canonicalPath());
            QVERIFY(path.endsWith(QLatin1String(".bin")));
            QFile saved(path);
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll(), image);
            QCOMPARE(saved.permissions() & (QFile::ReadOther | QFile::ReadGroup),
                     QFile::Permissions());
        }
        QVERIFY(first != second);
    }
};

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
