// The hidapi C functions the program calls, answered by the emulated wheels.

#include "emulator/bus.h"
#include "emulator/wheelcore.h"

#include <hidapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <thread>

namespace {

using emu::Clock;
using emu::Transfer;
using emu::detail::Bus;
using emu::detail::bus;
using emu::detail::WheelCore;

wchar_t *copyOf(const std::wstring &text)
{
    auto *copy = static_cast<wchar_t *>(std::calloc(text.size() + 1, sizeof(wchar_t)));
    std::wmemcpy(copy, text.c_str(), text.size());
    return copy;
}

std::string pathOf(const WheelCore &core)
{
    return "emulator:" + std::string(core.serial().begin(), core.serial().end());
}

bool matches(const WheelCore &core, unsigned short vendorId, unsigned short productId)
{
    return core.isPresent() && (vendorId == 0 || vendorId == emu::VendorId) &&
           (productId == 0 || productId == core.productId());
}

// The lateness carried to the next waits is at most this or one latency,
// whichever is longer: a stalled machine does not buy a burst of instant
// transfers.
constexpr std::chrono::milliseconds MostLate{20};

// Waits until end: a plain sleep oversleeps by the scheduler's slack (a
// fifth of a millisecond and more on a loaded machine), which a benchmark of
// a thousand transfers would count as the program's time. So it sleeps to
// shortly before the end and spins the rest.
void waitUntil(Clock::time_point end)
{
    constexpr std::chrono::microseconds Spin{500};
    std::this_thread::sleep_until(end - Spin);
    while (Clock::now() < end) {
    }
}

hid_device *openHandle(Bus &b, const std::shared_ptr<emu::Wheel> &wheel)
{
    auto *handle = new hid_device_;
    handle->wheel = wheel;
    handle->connection = wheel->core().connection();
    b.handles.insert(handle);
    wheel->core().attach(handle);
    return handle;
}

// A feature or output transfer: the latency is slept outside the lock, as a
// USB control transfer takes its time without holding up the other threads.
template <typename Exchange>
int controlTransfer(hid_device *handle, Transfer kind, const unsigned char *data,
                    std::size_t length, Exchange exchange)
{
    Bus &b = bus();
    const std::size_t index = emu::detail::transferIndex(kind);
    std::chrono::microseconds latency{0};
    Clock::time_point end;
    {
        std::lock_guard<std::mutex> lock(b.mutex);
        if (!b.enter(handle, true))
            return -1;
        latency = b.latency[index];
        const Clock::duration owed = std::min<Clock::duration>(b.late[index], latency);
        b.late[index] -= owed;
        end = Clock::now() + latency - owed;
    }
    if (latency.count() > 0)
        waitUntil(end);

    std::lock_guard<std::mutex> lock(b.mutex);
    if (latency.count() > 0) {
        const Clock::duration most = std::max<Clock::duration>(latency, MostLate);
        b.late[index] = std::min<Clock::duration>(b.late[index] + (Clock::now() - end), most);
    }
    WheelCore &core = handle->wheel->core();
    const Clock::time_point now = Clock::now();
    core.advance(now);
    int result = -1;
    if (handle->closed || !core.reaches(handle))
        handle->error = L"The wheel is gone";
    else if (data == nullptr)
        handle->error = L"No buffer";
    else if (b.shouldFail(kind))
        handle->error = L"Injected failure";
    else if ((result = exchange(core, now)) < 0)
        handle->error = L"The wheel refused the report";
    else
        handle->error = L"Success";
    if (data != nullptr)
        b.record(kind, core.productId(), data, length, result);
    b.leave(handle, true);
    b.changed.notify_all();
    return result;
}

int readInput(hid_device *handle, unsigned char *data, std::size_t length, int milliseconds)
{
    Bus &b = bus();
    std::unique_lock<std::mutex> lock(b.mutex);
    if (!b.enter(handle, false))
        return -1;
    const std::chrono::microseconds latency = b.latency[emu::detail::transferIndex(Transfer::Read)];
    if (latency.count() > 0) {
        lock.unlock();
        waitUntil(Clock::now() + latency);
        lock.lock();
    }
    WheelCore &core = handle->wheel->core();
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
    const bool injected = b.shouldFail(Transfer::Read);
    int result = -1;
    emu::detail::InputFrame frame{};
    for (;;) {
        const Clock::time_point now = Clock::now();
        core.advance(now);
        if (injected || handle->closed || !core.reaches(handle) || data == nullptr) {
            handle->error = injected ? L"Injected failure" : L"The wheel is gone";
            result = -1;
            break;
        }
        if (!handle->inputs.empty()) {
            frame = handle->inputs.front();
            handle->inputs.pop_front();
            result = static_cast<int>(std::min(length, frame.size()));
            std::memcpy(data, frame.data(), static_cast<std::size_t>(result));
            break;
        }
        if (milliseconds == 0 || (milliseconds > 0 && now >= deadline)) {
            result = 0;
            break;
        }
        std::optional<Clock::time_point> wake = core.nextDeadline();
        if (milliseconds > 0 && (!wake || deadline < *wake))
            wake = deadline;
        if (wake)
            b.changed.wait_until(lock, *wake);
        else
            b.changed.wait(lock);
    }
    if (result != 0)
        b.record(Transfer::Read, core.productId(), frame.data(),
                 result > 0 ? static_cast<std::size_t>(result) : 0, result);
    b.leave(handle, false);
    return result;
}

} // namespace

int hid_init(void)
{
    return 0;
}

int hid_exit(void)
{
    return 0;
}

struct hid_device_info *hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    hid_device_info *first = nullptr;
    hid_device_info **next = &first;
    for (const auto &wheel : b.wheels) {
        WheelCore &core = wheel->core();
        core.advance(Clock::now());
        if (!matches(core, vendor_id, product_id))
            continue;
        auto *info = static_cast<hid_device_info *>(std::calloc(1, sizeof(hid_device_info)));
        const std::string path = pathOf(core);
        info->path = static_cast<char *>(std::calloc(path.size() + 1, 1));
        std::memcpy(info->path, path.c_str(), path.size());
        info->vendor_id = emu::VendorId;
        info->product_id = core.productId();
        info->serial_number = copyOf(core.serial());
        info->release_number = 0x0100;
        info->manufacturer_string = copyOf(L"Nolk Controls");
        info->product_string = copyOf(std::wstring(core.name.begin(), core.name.end()));
        info->usage_page = 0x01;
        info->usage = 0x04;
        info->interface_number = 0;
        info->bus_type = HID_API_BUS_USB;
        *next = info;
        next = &info->next;
    }
    return first;
}

void hid_free_enumeration(struct hid_device_info *devs)
{
    while (devs != nullptr) {
        hid_device_info *next = devs->next;
        std::free(devs->path);
        std::free(devs->serial_number);
        std::free(devs->manufacturer_string);
        std::free(devs->product_string);
        std::free(devs);
        devs = next;
    }
}

hid_device *hid_open(unsigned short vendor_id, unsigned short product_id,
                     const wchar_t *serial_number)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    for (const auto &wheel : b.wheels) {
        WheelCore &core = wheel->core();
        core.advance(Clock::now());
        if (matches(core, vendor_id, product_id) &&
            (serial_number == nullptr || core.serial() == serial_number)) {
            // hidapi opens the first match only, and gives up when it refuses.
            if (b.logEnabled)
                b.opens.push_back({vendor_id, product_id, core.openable, Clock::now()});
            if (!core.openable) {
                b.lastError = L"Permission denied";
                return nullptr;
            }
            return openHandle(b, wheel);
        }
    }
    if (b.logEnabled)
        b.opens.push_back({vendor_id, product_id, false, Clock::now()});
    b.lastError = L"No such device";
    return nullptr;
}

hid_device *hid_open_path(const char *path)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    for (const auto &wheel : b.wheels) {
        WheelCore &core = wheel->core();
        core.advance(Clock::now());
        if (path != nullptr && core.isPresent() && pathOf(core) == path) {
            if (!core.openable) {
                b.lastError = L"Permission denied";
                return nullptr;
            }
            return openHandle(b, wheel);
        }
    }
    b.lastError = L"No such device";
    return nullptr;
}

int hid_write(hid_device *dev, const unsigned char *data, size_t length)
{
    return controlTransfer(
        dev, Transfer::Write, data, length,
        [&](WheelCore &core, Clock::time_point) { return core.write(data, length); });
}

int hid_send_feature_report(hid_device *dev, const unsigned char *data, size_t length)
{
    return controlTransfer(
        dev, Transfer::SendFeature, data, length, [&](WheelCore &core, Clock::time_point now) {
            const bool writing = core.firmwareState() == emu::FirmwareState::Writing;
            const int result = core.sendFeature(data, length, now, bus().timing);
            // A completed image restarts the wheel: the
            // system sees it appear again when it is back.
            if (!writing && core.firmwareState() == emu::FirmwareState::Writing)
                bus().announce(core.productId(), core.restartEnd());
            return result;
        });
}

int hid_get_feature_report(hid_device *dev, unsigned char *data, size_t length)
{
    return controlTransfer(
        dev, Transfer::GetFeature, data, length,
        [&](WheelCore &core, Clock::time_point) { return core.getFeature(data, length); });
}

int hid_read_timeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    return readInput(dev, data, length, milliseconds);
}

int hid_read(hid_device *dev, unsigned char *data, size_t length)
{
    bool nonBlocking = false;
    {
        Bus &b = bus();
        std::lock_guard<std::mutex> lock(b.mutex);
        nonBlocking = b.handles.count(dev) != 0 && dev->nonBlocking;
    }
    return readInput(dev, data, length, nonBlocking ? 0 : -1);
}

int hid_set_nonblocking(hid_device *dev, int nonblock)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    if (!b.enter(dev, false))
        return -1;
    dev->nonBlocking = nonblock != 0;
    b.leave(dev, false);
    return 0;
}

void hid_close(hid_device *dev)
{
    if (dev == nullptr)
        return;
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    if (b.handles.erase(dev) == 0) {
        ++b.misuse;
        return;
    }
    dev->wheel->core().detach(dev);
    dev->closed = true;
    if (dev->calls > 0) {
        // Undefined in the real library; here the last running call frees it.
        ++b.misuse;
        b.changed.notify_all();
        return;
    }
    delete dev;
}

const wchar_t *hid_error(hid_device *dev)
{
    Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    if (dev == nullptr)
        return b.lastError;
    if (b.handles.count(dev) == 0)
        return L"Not an open handle";
    return dev->error;
}
