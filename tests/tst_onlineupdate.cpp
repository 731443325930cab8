#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "emulator/wheelemulator.h"
#include "firmware/updatecheck.h"
#include "firmware/updateserver.h"
#include "support/debugcapture.h"
#include "support/findwidget.h"
#include "support/httpsserver.h"
#include "support/testenv.h"
#include "support/windowlook.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
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
QByteArray firmware(int size)
{
    QByteArray image = "NOLKFW:" + NewerDate.toLatin1() + '\0';
    while (image.size() < size)
        image.append(static_cast<char>(image.size() * 7));
    return image.left(size);
}

QString md5Of(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

QStringList boxTexts()
{
    QStringList texts;
    for (const dialogs::ShownBox &box : dialogs::script::boxes())
        texts << box.title + "|" + box.text;
    return texts;
}

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

// What the window shows the moment it hands a downloaded file on: the check
// button's text (empty when enabled), the version and MD5 lines and the phase.
class HandOverWatch
{
public:
    explicit HandOverWatch(QWidget &window)
    {
        auto *path = child<QLineEdit>(window, "lePath");
        QObject::connect(path, &QLineEdit::textChanged, path, [this, &window](const QString &text) {
            if (text.contains("://"))
                return;
            this->path = text;
            auto *check = child<QPushButton>(window, "pbAutoUpgrade");
            shown = QStringList{check->isEnabled() ? QString() : check->text(),
                                child<QLabel>(window, "lbCurVersion")->text(),
                                child<QLabel>(window, "lbCurMd5")->text(),
                                child<QLabel>(window, "lbUpgrade")->text(),
                                QString::number(child<QProgressBar>(window, "pgUpgrade")->value())};
            handed = true;
        });
    }
    bool handed = false;
    QString path;
    QStringList shown;
};

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

class TestOnlineUpdate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        testenv::isolate(10);
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
        dialogs::script::reset();
        emu::setFirmwareTiming({std::chrono::milliseconds(200), std::chrono::milliseconds(300)});
    }

    void cleanup()
    {
        emu::reset();
        testenv::clearSettings();
        QLocale::setDefault(QLocale::c());
        QFile victim(temp->filePath("victim"));
        QVERIFY(victim.open(QIODevice::ReadOnly));
        QCOMPARE(victim.readAll(), QByteArray("keep"));
        QVERIFY(QFileInfo(temp->filePath("nolk.firmware.bin")).isSymLink());
    }

    // How the check ends: a silent end, or the one box it shows. The setup names
    // what differs from a trusted server answering with a length.
    void checkOutcome_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("box");

        const QByteArray newer = document(NewerDate, "00");
        const QByteArray oversized =
            document(NewerDate, QString(updatecheck::MaxDocumentBytes, QLatin1Char('0')));
        const QString invalid = QStringLiteral("Update|No valid device.");
        const QString upToDate = QStringLiteral("Update|Your firmware is already up to date.");

        QTest::newRow("not found, JSON body") << "404" << newer << QString();
        QTest::newRow("not JSON") << "" << QByteArray("<html>hi</html>") << QString();
        QTest::newRow("oversized, announced") << "" << oversized << QString();
        QTest::newRow("oversized, unannounced") << "unannounced" << oversized << QString();
        QTest::newRow("untrusted certificate") << "rogue" << newer << QString();
        QTest::newRow("server never answers") << "silent" << newer << QString();
        QTest::newRow("wheel without a model") << "prototype" << newer << QString();
        QTest::newRow("wheel version without TAB") << "label" << newer << invalid;
        QTest::newRow("server date with seconds")
            << "" << document("Apr 1 2024,08:00:00", "00") << invalid;
        QTest::newRow("equal to the padded day")
            << "" << document("Mar 5 2024,10:30", "00") << upToDate;
        QTest::newRow("newer, answered No") << "" << newer << Question;
        QTest::newRow("newer, German user") << "de_DE" << newer << Question;
    }

    void checkOutcome()
    {
        QFETCH(QString, setup);
        QFETCH(QByteArray, body);
        QFETCH(QString, box);

        QLocale::setDefault(QLocale(setup == "de_DE" ? setup : "C"));
        const HttpsServer::Response response{setup == "404" ? 404 : 200, body,
                                             setup != "unannounced", setup == "silent"};
        server->serve(VersionPath, response);
        rogueServer->serve(VersionPath, response);
        if (setup == "rogue")
            updateserver::setTestHost(rogueServer->host());
        auto wheel = emu::plug(Model::Ralka);
        if (setup == "prototype")
            wheel->setName("NOLK PROTOTYPE");
        MainWindow window;
        QTRY_VERIFY(windowlook::isConnected(window));
        if (setup == "label")
            child<QLabel>(window, "lbVersion")->setText("Firmware Version:Mar 5 2024,10:30");
        DebugCapture debug;
        ReplyWatch replies;

        child<QPushButton>(window, "pbAutoUpgrade")->click();
        QTRY_VERIFY_WITH_TIMEOUT(isIdle(window), 10000);
        QCOMPARE(boxTexts(), box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(child<QLineEdit>(window, "lePath")->text(), QString());
        const bool asked = setup != "rogue" && setup != "prototype";
        QCOMPARE(server->requests(), asked ? QStringList{VersionPath} : QStringList());
        QVERIFY(rogueServer->requests().isEmpty());
        QCOMPARE(debug.lines().filter("QJsonObject(").size(), box.isEmpty() ? 0 : 1);
        // Every reply is released once handled, whatever ended it.
        QTRY_COMPARE(replies.released, 1);
    }

    // From the answered question, or an https:// address typed in the path
    // field, to the end of the update: the download's refusals, the manual
    // step's refusal of what the flash cannot take, and the restarted wheel
    // reading the server's build date. A typed address is taken only when its
    // digest is in the checksum line an earlier check left.
    void update_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("md5");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("box");

        const QByteArray image = firmware(5000);
        const QString digest = md5Of(image);
        const QByteArray huge = firmware(updatecheck::MaxImageBytes + 1);
        const QByteArray large = firmware(emu::FlashSize + 1);
        const QString fail = QStringLiteral("Error|Download file fail.");
        const QString invalid = QStringLiteral("Error|Not a valid firmware.");

        QTest::newRow("written") << image << digest << "" << Written;
        QTest::newRow("upper-case md5, length not announced")
            << image << digest.toUpper() << "unannounced" << Written;
        QTest::newRow("larger than the flash") << large << md5Of(large) << "" << invalid;
        QTest::newRow("other digest") << image << md5Of("other") << "" << fail;
        QTest::newRow("image missing, error page digest listed")
            << QByteArray("gone") << md5Of("gone") << "404" << fail;
        QTest::newRow("over 1 MiB unannounced") << huge << md5Of(huge) << "unannounced" << fail;
        QTest::newRow("typed address, digest listed") << image << digest << "typed" << Written;
        QTest::newRow("typed address, digest not listed")
            << image << md5Of("other") << "typed" << fail;
        QTest::newRow("temporary folder gone")
            << image << digest << "gone" << QStringLiteral("Error|Can not write to temp.");
    }

    void update()
    {
        QFETCH(QByteArray, image);
        QFETCH(QString, md5);
        QFETCH(QString, setup);
        QFETCH(QString, box);

        server->serve(VersionPath, {200, document(NewerDate, md5), true, false});
        server->serve(ImagePath,
                      {setup == "404" ? 404 : 200, image, setup != "unannounced", false});
        auto wheel = emu::plug(Model::Ralka);
        MainWindow window;
        QTRY_VERIFY(windowlook::isConnected(window));
        auto *version = child<QLabel>(window, "lbVersion");
        QCOMPARE(version->text(), QStringLiteral("Firmware Version:\tMar  5 2024,10:30"));
        HandOverWatch watch(window);
        const QStringList before = tempEntries();
        if (setup == "gone")
            qputenv("TMPDIR", QFile::encodeName(temp->filePath("gone")));
        const bool typed = setup == "typed";
        if (typed) {
            // What an earlier check left: the checksum line hidden, its text kept.
            child<QLabel>(window, "lbCurMd5")->setText("MD5: " + md5);
            child<QLineEdit>(window, "lePath")->setText("https://" + server->host() + ImagePath);
            child<QPushButton>(window, "pbUpgrade")->click();
        } else {
            dialogs::script::queueButton(QMessageBox::Yes);
            child<QPushButton>(window, "pbAutoUpgrade")->click();
        }
        // The image address is the update directory and the document's name.
        QTRY_VERIFY(server->requests().contains(ImagePath));
        const QStringList boxes = typed ? QStringList{box} : QStringList{Question, box};
        QTRY_COMPARE_WITH_TIMEOUT(boxTexts(), boxes, 20000);
        QTRY_VERIFY(isIdle(window));
        QCOMPARE(tempEntries(), before);
        QCOMPARE(watch.handed, !box.startsWith("Error|Download") && !box.contains("temp"));
        if (watch.handed) {
            const QFileInfo file(watch.path);
            QCOMPARE(file.absolutePath(), QDir(temp->path()).canonicalPath());
            QVERIFY(file.fileName().endsWith(".bin") && file.fileName() != "nolk.firmware.bin");
        }
        if (watch.handed && !typed) {
            // The check button waits for the upload to end.
            QCOMPARE(watch.shown, (QStringList{"Checking ...", "Version: " + NewerDate,
                                               "MD5: " + md5, "Downloading ...", "100"}));
        }
        QCOMPARE(wheel->imagesWritten(), box == Written ? 1 : 0);
        if (box != Written)
            return;
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(wheel->lastImage().data()),
                            static_cast<int>(wheel->lastImage().size())),
                 image);
        // The restarted wheel is read again and reports the server's build date.
        QTRY_COMPARE_WITH_TIMEOUT(version->text(), "Firmware Version:\t" + NewerDate, 10000);
        // The version line is read before the connection's queued steps run.
        QTRY_VERIFY(windowlook::isConnected(window));
    }

    // Only an https:// address is downloaded.
    void onlyHttps()
    {
        server->serve(ImagePath, {200, firmware(5000), true, false});
        MainWindow window;
        child<QLineEdit>(window, "lePath")->setText("http://" + server->host() + ImagePath);
        QVERIFY(QMetaObject::invokeMethod(&window, "onNetUpgrade"));
        QVERIFY(isIdle(window));
        QTest::qWait(100);
        QVERIFY(server->requests().isEmpty());
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
