// GLib's headers before Qt's: Qt's keyword macros would rename their members.
#include <umockdev.h>

#include "device/udevwatcher.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

// The watcher against udev events from umockdev's test bed (its library
// preloaded by the test's registration): a hidraw node below a USB device
// with the given ids, plugged and pulled again.
class TestDeviceWatcher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void arrivals_data();
    void arrivals();
    void interfacePaths_data();
    void interfacePaths();

private:
    struct Plugged
    {
        QByteArray usb;
        QByteArray node;
    };
    // A USB device with a HID device and a node of the subsystem below it.
    Plugged plug(const QByteArray &name, const char *vendor, const char *product,
                 const char *subsystem);
    void unplug(const Plugged &device);

    UMockdevTestbed *testbed = nullptr;
    int rows = 0;
    // One watcher for every row: the removals of a row reach it before the
    // next row's arrivals.
    std::unique_ptr<UdevWatcher> watcher;
    std::unique_ptr<QSignalSpy> spy;
};

void TestDeviceWatcher::initTestCase()
{
    testbed = umockdev_testbed_new();
    QVERIFY2(umockdev_in_mock_environment(), "run with libumockdev-preload.so.0 preloaded");
    watcher = std::make_unique<UdevWatcher>();
    spy = std::make_unique<QSignalSpy>(watcher.get(), &DeviceWatcher::wheelArrived);
}

void TestDeviceWatcher::cleanupTestCase()
{
    spy.reset();
    watcher.reset();
    g_object_unref(testbed);
}

TestDeviceWatcher::Plugged TestDeviceWatcher::plug(const QByteArray &name, const char *vendor,
                                                   const char *product, const char *subsystem)
{
    gchar *usb = umockdev_testbed_add_device(testbed, "usb", name + "-usb", nullptr, "idVendor",
                                             vendor, "idProduct", product, nullptr, "DEVTYPE",
                                             "usb_device", nullptr);
    gchar *hid = umockdev_testbed_add_device(testbed, "hid", name + "-hid", usb, nullptr, nullptr);
    gchar *node =
        umockdev_testbed_add_device(testbed, subsystem, name + "-node", hid, nullptr, nullptr);
    const Plugged plugged{usb, node};
    g_free(node);
    g_free(hid);
    g_free(usb);
    return plugged;
}

void TestDeviceWatcher::unplug(const Plugged &device)
{
    umockdev_testbed_uevent(testbed, device.node.constData(), "remove");
    umockdev_testbed_remove_device(testbed, device.usb.constData());
}

// A device as "vendor:product subsystem"; the product id reported, 0 for none.
void TestDeviceWatcher::arrivals_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("reported");
    QTest::newRow("2007") << "7b3e:2007 hidraw" << 0x2007;
    QTest::newRow("2009, upper-case") << "7B3E:2009 hidraw" << 0x2009;
    QTest::newRow("another vendor") << "046d:2007 hidraw" << 0;
    QTest::newRow("another product") << "7b3e:200a hidraw" << 0;
    QTest::newRow("not a hidraw node") << "7b3e:2007 input" << 0;
}

// Events reach the watcher in order: once the wheel plugged after the device
// under test is reported, every event before it was seen.
void TestDeviceWatcher::arrivals()
{
    QFETCH(QString, device);
    QFETCH(int, reported);
    const QList<QByteArray> part = device.toLatin1().split(' ');
    const QList<QByteArray> ids = part[0].split(':');
    spy->clear();
    const QByteArray row = QByteArray::number(++rows);
    const Plugged plugged = plug(row, ids[0], ids[1], part[1]);
    const Plugged last = plug(row + "-last", "7b3e", "2008", "hidraw");
    QTRY_VERIFY_WITH_TIMEOUT(!spy->isEmpty() && spy->last().at(0).value<quint16>() == 0x2008,
                             10000);
    unplug(plugged);
    unplug(last);

    QList<quint16> seen;
    for (const QList<QVariant> &signal : *spy)
        seen << signal.at(0).value<quint16>();
    QCOMPARE(seen, (reported ? QList<quint16>{quint16(reported), 0x2008} : QList<quint16>{0x2008}));
}

void TestDeviceWatcher::interfacePaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("productId"); // 0: not a wheel
    const QString hid = QStringLiteral("\\\\?\\HID#%1&MI_00#7&1a2b3c4d&0&0000#"
                                       "{4d1e55b2-f16f-11cf-88cb-001111000030}");
    QTest::newRow("2007") << hid.arg("VID_7B3E&PID_2007") << 0x2007;
    QTest::newRow("lower-case 2009") << hid.arg("vid_7b3e&pid_2009") << 0x2009;
    QTest::newRow("another vendor") << hid.arg("VID_046D&PID_2008") << 0;
    QTest::newRow("another product") << hid.arg("VID_7B3E&PID_200A") << 0;
    QTest::newRow("wheel ids after another device's")
        << QStringLiteral("\\\\?\\HID#VID_046D&PID_C52B#VID_7B3E&PID_2007#") << 0;
    QTest::newRow("product id longer") << hid.arg("VID_7B3E&PID_20071") << 0;
}

void TestDeviceWatcher::interfacePaths()
{
    QFETCH(QString, path);
    QFETCH(int, productId);
    QCOMPARE(DeviceWatcher::wheelInInterfacePath(path).value_or(0), productId);
}

QTEST_GUILESS_MAIN(TestDeviceWatcher)
#include "tst_devicewatcher.moc"
