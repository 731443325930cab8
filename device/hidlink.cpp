#include "device/hidlink.h"

#include <hidapi.h>

#include <QMutexLocker>

#include <mutex>

HidLink &HidLink::instance()
{
    static HidLink link;
    return link;
}

void HidLink::init()
{
    static std::once_flag once;
    std::call_once(once, [] { hid_init(); });
}

bool HidLink::open(std::uint16_t vendorId, std::uint16_t productId)
{
    QMutexLocker locker(&mutex);
    if (handle.load() != nullptr)
        return false;
    hid_device *opened = hid_open(vendorId, productId, nullptr);
    if (opened == nullptr)
        return false;
    handle.store(opened);
    ++openCount;
    return true;
}

bool HidLink::openPath(const QByteArray &path)
{
    QMutexLocker locker(&mutex);
    if (handle.load() != nullptr)
        return false;
    hid_device *opened = hid_open_path(path.constData());
    if (opened == nullptr)
        return false;
    handle.store(opened);
    ++openCount;
    return true;
}

void HidLink::close()
{
    QMutexLocker locker(&mutex);
    hid_device *device = handle.exchange(nullptr);
    if (device != nullptr)
        hid_close(device);
}

bool HidLink::isOpen() const
{
    return handle.load() != nullptr;
}

std::uint64_t HidLink::generation() const
{
    return openCount.load();
}

template <typename Transfer>
int HidLink::withDevice(Transfer &&transfer)
{
    QMutexLocker locker(&mutex);
    hid_device *device = handle.load();
    if (device == nullptr)
        return -1;
    return transfer(device);
}

int HidLink::sendFeature(const protocol::Report &report)
{
    return withDevice([&](hid_device *device) {
        return hid_send_feature_report(device, report.data(), report.size());
    });
}

int HidLink::query(protocol::Report &report)
{
    return withDevice([&](hid_device *device) {
        const int sent = hid_send_feature_report(device, report.data(), report.size());
        if (sent < 0)
            return sent;
        report[0] = protocol::FeatureReportId;
        return hid_get_feature_report(device, report.data(), report.size());
    });
}

int HidLink::write(const protocol::Report &report)
{
    return withDevice(
        [&](hid_device *device) { return hid_write(device, report.data(), report.size()); });
}

int HidLink::sendFeatureIfGeneration(const protocol::Report &report, std::uint64_t generation)
{
    return withDevice([&](hid_device *device) {
        if (openCount.load() != generation)
            return -1;
        return hid_send_feature_report(device, report.data(), report.size());
    });
}

int HidLink::setNonBlocking(bool nonBlocking)
{
    return withDevice(
        [&](hid_device *device) { return hid_set_nonblocking(device, nonBlocking ? 1 : 0); });
}

int HidLink::read(unsigned char *data, std::size_t length)
{
    hid_device *device = handle.load();
    if (device == nullptr)
        return -1;
    return hid_read(device, data, length);
}
