#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "firmware/updatelog.h"
#include "firmware/updateserver.h"
#include "support/debugcapture.h"
#include "support/findwidget.h"
#include "support/firmwareimage.h"
#include "support/httpsserver.h"
#include "support/windowfixture.h"
#include "support/windowlook.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkReply>
#include <QProgressBar>
#include <QPushButton>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using emu::Model;

const QString VersionPath = QStringLiteral("/upgrade/ralka/version.json");
const QString ImagePath = QStringLiteral("/upgrade/ralka/fw.bin");
// The emulated RALKA's own build date is Mar  5 2024,10:30.
const QString NewerDate = QStringLiteral("Apr 1 2024,08:00");
const QString Question = QStringLiteral("Update|A new firmware is available, update now?");
const QString Written = QStringLiteral("Notify|Firmware updated successfully.");

QByteArray document(const QString &version, const QString &md5)
{
    return QJsonDocument(QJsonObject{{"name", "fw.bin"}, {"version", version}, {"md5", md5}})
        .toJson();
}

// An image the emulated wheel takes its new build date from once written.
QByteArray firmware(int size, const QString &date = NewerDate)
{
    return firmwareimage::make(size, date.toLatin1());
}

QString md5Of(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

using windowfixture::shownBoxes;

// The update widgets as resetUpgrade() leaves them.
bool isIdle(QWidget &window)
{
    auto *check = child<QPushButton>(window, "pbAutoUpgrade");
    auto *bar = child<QProgressBar>(window, "pgUpgrade");
    return check->isEnabled() && check->text() == "Check Update" && bar->isHidden() &&
           bar->value() == 0 && child<QLabel>(window, "lbUpgrade")->isHidden() &&
           child<QLabel>(window, "lbCurMd5")->isHidden() &&
           child<QLabel>(window, "lbCurVersion")->text().isEmpty();
}

// Counts the network replies handed to deleteLater.
class ReplyWatch : public QObject
{
public:
    ReplyWatch() { qApp->installEventFilter(this); }
    ~ReplyWatch() override { qApp->removeEventFilter(this); }
    int released = 0;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::DeferredDelete && qobject_cast<QNetworkReply *>(object))
            ++released;
        return false;
    }
};

} // namespace

class TestOnlineUpdate : public WindowTest
{
    Q_OBJECT

public:
    TestOnlineUpdate() : WindowTest(10) {}

private slots:
    void initTestCase()
    {
        WindowTest::initTestCase();
        originalTemp = QFile::encodeName(QDir::tempPath());
        QDir(certificates.path()).mkdir("trusted");
        QDir(certificates.path()).mkdir("rogue");
        trusted = TestAuthority::create(certificates.filePath("trusted"));
        rogue = TestAuthority::create(certificates.filePath("rogue"));
        QVERIFY2(trusted && rogue, "the openssl command could not make the test certificates");
        // Only this process trusts the test authority; the program keeps the
        // platform's verification.
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.addCaCertificate(trusted->certificate);
        QSslConfiguration::setDefaultConfiguration(config);
        server = std::make_unique<HttpsServer>(*trusted);
        rogueServer = std::make_unique<HttpsServer>(*rogue);
    }

    void init()
    {
        // Each test's folder is made where the process's own temporary files go.
        qputenv("TMPDIR", originalTemp);
        temp = std::make_unique<QTemporaryDir>();
        QVERIFY(temp->isValid());
        qputenv("TMPDIR", QFile::encodeName(temp->path()));
        // Someone else's file, and a link to it under the name a download once had.
        QFile victim(temp->filePath("victim"));
        QVERIFY(victim.open(QIODevice::WriteOnly) && victim.write("keep") == 4);
        victim.close();
        QVERIFY(QFile::link(victim.fileName(), temp->filePath("nolk.firmware.bin")));
        server->clear();
        rogueServer->clear();
        updateserver::setTestHost(server->host());
        emu::setFirmwareTiming({std::chrono::milliseconds(200), std::chrono::milliseconds(300)});
    }

    void cleanup()
    {
        WindowTest::cleanup();
        QFile victim(temp->filePath("victim"));
        QVERIFY(victim.open(QIODevice::ReadOnly));
        QCOMPARE(victim.readAll(), QByteArray("keep"));
        QVERIFY(QFileInfo(temp->filePath("nolk.firmware.bin")).isSymLink());
    }

    // From the check to the end of the update: the one box of a check that
    // ends early, or the question, answered No when there is no image; then
    // the download's refusals, the manual step's refusal of what the flash
    // cannot take, and the restarted wheel reading the server's build date. A
    // typed https:// address is taken only when its digest is in the checksum
    // line an earlier check left; an http:// one is never downloaded. The setup
    // names what differs from a trusted server answering with a length.
    void update_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("box");

        const QByteArray newer = document(NewerDate, "00");
        const QByteArray oversized =
            document(NewerDate, QString(65536, QLatin1Char('0')));
        const QString invalid = QStringLiteral("Update|No valid device.");
        const QString upToDate = QStringLiteral("Update|Your firmware is already up to date.");
        const QByteArray none;
        QTest::newRow("not found, JSON body") << "404" << newer << none << QString();
        QTest::newRow("oversized, announced") << "" << oversized << none << QString();
        QTest::newRow("oversized, unannounced") << "unannounced" << oversized << none << QString();
        QTest::newRow("untrusted certificate") << "rogue" << newer << none << QString();
        QTest::newRow("server never answers") << "silent" << newer << none << QString();
        QTest::newRow("wheel without a model") << "prototype" << newer << none << invalid;
        QTest::newRow("server date with seconds")
            << "" << document("Apr 1 2024,08:00:00", "00") << none << invalid;
        QTest::newRow("equal to the padded day")
            << "" << document("Mar 5 2024,10:30", "00") << none << upToDate;
        QTest::newRow("newer, answered No") << "" << newer << none << Question;

        const QByteArray image = firmware(5000);
        const QByteArray listed = document(NewerDate, md5Of(image));
        const QByteArray other = document(NewerDate, md5Of("other"));
        const QByteArray huge = firmware(1048577);
        const QByteArray large = firmware(229377);
        const QString fail = QStringLiteral("Error|Download file fail.");
        QTest::newRow("written") << "" << listed << image << Written;
        QTest::newRow("upper-case md5, length not announced")
            << "image unannounced" << document(NewerDate, md5Of(image).toUpper()) << image
            << Written;
        QTest::newRow("larger than the flash") << "" << document(NewerDate, md5Of(large)) << large
                                               << QStringLiteral("Error|Not a valid firmware.");
        QTest::newRow("other digest") << "" << other << image << fail;
        QTest::newRow("image missing, error page digest listed")
            << "image 404" << document(NewerDate, md5Of("gone")) << QByteArray("gone") << fail;
        QTest::newRow("over 1 MiB, unannounced")
            << "image unannounced" << document(NewerDate, md5Of(huge)) << huge << fail;
        // The image did not take: the wheel comes back with its old date.
        const QByteArray stale = firmware(5000, "Mar  5 2024,10:30");
        QTest::newRow("written, wheel reports its old version")
            << "stale" << document(NewerDate, md5Of(stale)) << stale << Written;
        QTest::newRow("typed address, digest listed") << "typed" << listed << image << Written;
        QTest::newRow("typed address, digest not listed") << "typed" << other << image << fail;
        QTest::newRow("http address") << "typed http" << listed << none << QString();
        QTest::newRow("temporary folder gone")
            << "gone" << listed << image << QStringLiteral("Error|Can not write to temp.");
    }

    void update()
    {
        QFETCH(QString, setup);
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, image);
        QFETCH(QString, box);

        const auto response = [&](const QString &prefix, const QByteArray &body) {
            return HttpsServer::Response{setup == prefix + "404" ? 404 : 200, body,
                                         setup != prefix + "unannounced",
                                         setup == prefix + "silent"};
        };
        server->serve(VersionPath, response("", version));
        rogueServer->serve(VersionPath, response("", version));
        server->serve(ImagePath, response("image ", image));
        if (setup == "rogue")
            updateserver::setTestHost(rogueServer->host());
        auto wheel = emu::plug(Model::Ralka);
        if (setup == "prototype")
            wheel->setName("NOLK PROTOTYPE");
        MainWindow &window = connectWindow();
        auto *label = child<QLabel>(window, "lbVersion");
        QCOMPARE(label->text(), QStringLiteral("Firmware Version:\tMar  5 2024,10:30"));
        DebugCapture debug;
        ReplyWatch replies;
        // The file the window hands on, and what it shows at that moment: the
        // check button's text (empty when enabled), the version and MD5 lines
        // and the phase.
        QString handed;
        QStringList shown;
        auto *path = child<QLineEdit>(window, "lePath");
        connect(path, &QLineEdit::textChanged, this, [&](const QString &text) {
            if (text.contains("://"))
                return;
            auto *check = child<QPushButton>(window, "pbAutoUpgrade");
            handed = text;
            shown = {check->isEnabled() ? QString() : check->text(),
                     child<QLabel>(window, "lbCurVersion")->text(),
                     child<QLabel>(window, "lbCurMd5")->text(),
                     child<QLabel>(window, "lbUpgrade")->text(),
                     QString::number(child<QProgressBar>(window, "pgUpgrade")->value())};
        });
        const QStringList before = tempEntries();
        if (setup == "gone")
            qputenv("TMPDIR", QFile::encodeName(temp->filePath("gone")));
        const bool typed = setup.startsWith("typed");
        const QString md5 = QJsonDocument::fromJson(version)["md5"].toString();
        if (typed) {
            // What an earlier check left: the checksum line hidden, its text kept.
            child<QLabel>(window, "lbCurMd5")->setText("MD5: " + md5);
            const bool http = setup == "typed http";
            path->setText((http ? "http://" : "https://") + server->host() + ImagePath);
            if (http)
                QVERIFY(QMetaObject::invokeMethod(&window, "onNetUpgrade"));
            else
                child<QPushButton>(window, "pbUpgrade")->click();
        } else {
            if (!image.isEmpty())
                dialogs::script::queueButton(QMessageBox::Yes);
            child<QPushButton>(window, "pbAutoUpgrade")->click();
        }
        QElapsedTimer sinceClick;
        sinceClick.start();
        QStringList boxes = box.isEmpty() ? QStringList() : QStringList{box};
        if (!typed && !image.isEmpty())
            boxes.prepend(Question);
        // The buttons take a press again once the wheel is read again, and
        // then the version it reports has been compared with the server's.
        if (setup == "stale")
            boxes << "Notify|The wheel reports firmware Mar  5 2024,10:30 after the update.";
        QTRY_COMPARE_WITH_TIMEOUT(shownBoxes(), boxes, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(isIdle(window), 10000);
        // A server that never answers is given up after 30 s (3 s here).
        if (setup == "silent")
            QVERIFY(sinceClick.elapsed() >= 30000 / 10 * 9 / 10);
        QCOMPARE(shownBoxes(), boxes);
        QCOMPARE(tempEntries(), before);
        // The image address is the update directory and the document's name.
        QStringList requests;
        if (!typed && setup != "rogue" && setup != "prototype")
            requests << VersionPath;
        if (!image.isEmpty())
            requests << ImagePath;
        QCOMPARE(server->requests(), requests);
        QVERIFY(rogueServer->requests().isEmpty());
        // Every reply is released once handled, whatever ended it.
        QTRY_COMPARE(replies.released, int(requests.size() + (setup == "rogue")));
        QCOMPARE(debug.lines().filter("QJsonObject(").size(),
                 !typed && !box.isEmpty() && setup != "prototype" ? 1 : 0);
        if (image.isEmpty() && !typed)
            QCOMPARE(path->text(), QString());

        QCOMPARE(!handed.isEmpty(),
                 !image.isEmpty() && !box.startsWith("Error|Download") && !box.contains("temp"));
        if (!handed.isEmpty() && !typed) {
            // The check button waits for the upload to end.
            QCOMPARE(shown, (QStringList{"Checking ...", "Version: " + NewerDate, "MD5: " + md5,
                                         "Downloading ...", "100"}));
        }
        QCOMPARE(wheel->imagesWritten(), box == Written ? 1 : 0);
        if (box != Written)
            return;
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(wheel->lastImage().data()),
                            static_cast<int>(wheel->lastImage().size())),
                 image);
        // The restarted wheel is read again; its log line is written then,
        // before the version it reports is compared with the server's.
        const QString after = setup == "stale" ? "Mar  5 2024,10:30" : NewerDate;
        QTRY_VERIFY_WITH_TIMEOUT(
            !updatelog::read(updatelog::defaultPath()).entries.value(0).versionAfter.isEmpty(),
            10000);
        const updatelog::Entry logged = updatelog::read(updatelog::defaultPath()).entries[0];
        QCOMPARE(logged.versionAfter, after);
        QCOMPARE(logged.source, "https://" + server->host() + ImagePath);
        QCOMPARE(logged.md5, md5Of(image));
        QCOMPARE(label->text(), "Firmware Version:\t" + after);
        QCOMPARE(shownBoxes(), boxes);
        QTRY_VERIFY(windowlook::isConnected(window));
    }

    // A check or download under way when a manual upload starts ends without
    // a word: no question, no bar of its own, no file kept; the check button
    // waits for the upload and the search after it.
    void duringUpload_data()
    {
        QTest::addColumn<QString>("started");
        QTest::newRow("check") << "check";
        QTest::newRow("download") << "download";
    }

    void duringUpload()
    {
        QFETCH(QString, started);
        const QByteArray image = firmware(5000);
        server->serve(VersionPath, {200, document(NewerDate, md5Of(image))});
        server->serve(ImagePath, {200, image, true, true});
        auto wheel = emu::plug(Model::Ralka);
        MainWindow &window = connectWindow();
        const QString manual = temp->filePath("manual.bin");
        QVERIFY(firmwareimage::write(manual, firmware(4000)));
        const QStringList before = tempEntries();
        ReplyWatch replies;
        auto *path = child<QLineEdit>(window, "lePath");
        auto *check = child<QPushButton>(window, "pbAutoUpgrade");
        auto *bar = child<QProgressBar>(window, "pgUpgrade");
        QStringList shown;
        connect(bar, &QProgressBar::valueChanged, this, [&] {
            shown << QStringLiteral("%1 %2").arg(
                child<QLabel>(window, "lbUpgrade")->text(), check->isEnabled() ? "check" : "");
        });
        if (started == "check") {
            check->click();
        } else {
            child<QLabel>(window, "lbCurMd5")->setText("MD5: " + md5Of(image));
            path->setText("https://" + server->host() + ImagePath);
            child<QPushButton>(window, "pbUpgrade")->click();
            QTRY_VERIFY(!server->requests().isEmpty());
        }
        path->setText(manual);
        child<QPushButton>(window, "pbUpgrade")->click();

        QTRY_COMPARE_WITH_TIMEOUT(shownBoxes(), QStringList{Written}, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(isIdle(window), 10000);
        QCOMPARE(replies.released, 1);
        QCOMPARE(shown.filter("Downloading").size() + shown.filter("check").size(), 0);
        QCOMPARE(tempEntries(), before);
        QCOMPARE(wheel->lastImage().size(), std::size_t(4000));
    }

private:
    QStringList tempEntries() const
    {
        return QDir(temp->path())
            .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System, QDir::Name);
    }

    QTemporaryDir certificates;
    std::optional<TestAuthority> trusted;
    std::optional<TestAuthority> rogue;
    std::unique_ptr<HttpsServer> server;
    std::unique_ptr<HttpsServer> rogueServer;
    std::unique_ptr<QTemporaryDir> temp;
    QByteArray originalTemp;
};

QTEST_MAIN(TestOnlineUpdate)
#include "tst_onlineupdate.moc"
