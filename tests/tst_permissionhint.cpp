#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "device/listedwheel.h"
#include "emulator/wheelemulator.h"
#include "support/debugcapture.h"
#include "support/windowfixture.h"
#include "support/windowlook.h"

#include <QTest>

#include <hidapi.h>

namespace {

// What is on the bus when the window starts searching.
enum class Bus {
    Empty,
    Unopenable,
    // Refused on the first search only, as while udev still sets its rights.
    UnopenableOnce,
};

std::size_t searches()
{
    return emu::openAttempts().size() / 3;
}

// The path hidapi gives the wheel of this product id.
QString pathOf(std::uint16_t productId)
{
    hid_device_info *listed = hid_enumerate(emu::VendorId, productId);
    const QString path = listed ? QString::fromLocal8Bit(listed->path) : QString();
    hid_free_enumeration(listed);
    return path;
}

} // namespace

class TestPermissionHint : public WindowTest
{
    Q_OBJECT

private slots:
    // The wheel a search tries first is the one named: lowest product id
    // among the three, whatever the order on the bus; unplugged and foreign
    // ids do not count.
    void listedWheel()
    {
        std::vector<std::shared_ptr<emu::Wheel>> wheels;
        for (std::uint16_t id : {0x2009, 0x2008, 0x2007, 0x2006})
            wheels.push_back(emu::plug(emu::Model::Ralka, id));
        wheels[2]->unplug();
        const std::optional<listedwheel::Wheel> found = listedwheel::first();
        QVERIFY(found);
        QCOMPARE(found->productId, std::uint16_t(0x2008));
        QCOMPARE(found->path, pathOf(0x2008));
    }

    // One box and one debug line for a wheel that stays listed but
    // unopenable, however long the search goes on; none without a wheel,
    // none for a wheel that opens. The search keeps retrying and connects
    // once the wheel opens.
    void hint_data()
    {
        QTest::addColumn<Bus>("bus");
        QTest::newRow("no wheel") << Bus::Empty;
        QTest::newRow("unopenable wheel") << Bus::Unopenable;
        QTest::newRow("refused once, then opens") << Bus::UnopenableOnce;
    }

    void hint()
    {
        QFETCH(Bus, bus);
        std::shared_ptr<emu::Wheel> wheel;
        if (bus != Bus::Empty) {
            wheel = emu::plug(emu::Model::Demta, 0x2008);
            wheel->setOpenable(false);
        }
        DebugCapture debug;
        MainWindow window;
        if (bus == Bus::UnopenableOnce) {
            // Polled closely: the second search must not come before the change.
            QVERIFY(QTest::qWaitFor([] { return searches() >= 1; }));
            wheel->setOpenable(true);
            QTRY_VERIFY(windowlook::isConnected(window));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(searches() >= 6, 5000);
            QVERIFY(windowlook::isWaiting(window));
        }

        const QList<dialogs::ShownBox> boxes = dialogs::script::boxes();
        const QStringList lines = debug.lines().filter(QStringLiteral("could not be opened"));
        const int hints = bus == Bus::Unopenable ? 1 : 0;
        QCOMPARE(boxes.size(), hints);
        QCOMPARE(lines.size(), hints);
        if (hints == 0)
            return;
        QCOMPARE(boxes[0].title, QStringLiteral("Error"));
        const QString path = pathOf(0x2008);
        for (const QString &part : {QStringLiteral("found at %1,").arg(path),
                                    QStringLiteral("70-nolkset.rules"), QStringLiteral("udevadm")})
            QVERIFY2(boxes[0].text.contains(part), qPrintable(boxes[0].text));
        QVERIFY(lines[0].contains(QStringLiteral("7b3e:2008 listed at %1").arg(path)));

        wheel->setOpenable(true);
        QTRY_VERIFY(windowlook::isConnected(window));
        QCOMPARE(dialogs::script::boxes().size(), 1);
    }
};

QTEST_MAIN(TestPermissionHint)
#include "tst_permissionhint.moc"
