#include "emulator/bus.h"

#include <string>

namespace emu {

namespace detail {

Bus &bus()
{
    static Bus shared;
    return shared;
}

bool Bus::shouldFail(Transfer kind)
{
    FailureRule &rule = failures[transferIndex(kind)];
    if (rule.failNext > 0) {
        --rule.failNext;
        return true;
    }
    if (rule.untilFailing == 0)
        return true;
    if (rule.untilFailing > 0)
        --rule.untilFailing;
    return false;
}

void Bus::record(Transfer kind, std::uint16_t productId, const std::uint8_t *bytes,
                 std::size_t length, int result)
{
    if (!logEnabled)
        return;
    log.push_back({kind, productId, std::vector<std::uint8_t>(bytes, bytes + length), result,
                   Clock::now(), std::this_thread::get_id()});
}

bool Bus::enter(hid_device_ *handle, bool control)
{
    if (handle == nullptr || handles.count(handle) == 0) {
        ++misuse;
        lastError = L"Not an open handle";
        return false;
    }
    ++handle->calls;
    if (control) {
        if (handle->controlCalls > 0)
            ++misuse;
        ++handle->controlCalls;
    }
    return true;
}

void Bus::leave(hid_device_ *handle, bool control)
{
    --handle->calls;
    if (control)
        --handle->controlCalls;
    if (handle->closed && handle->calls == 0)
        delete handle;
}

void Bus::announce(std::uint16_t productId, Clock::time_point at)
{
    for (const auto &[id, listener] : arrivalListeners)
        listener(productId, at);
}

} // namespace detail

using detail::bus;

std::string modelName(Model model)
{
    switch (model) {
    case Model::Demta:
        return "DEMTA";
    case Model::Sovin:
        return "SOVIN";
    case Model::Ralka:
        break;
    }
    return "RALKA";
}

std::shared_ptr<Wheel> plug(Model model, std::uint16_t productId)
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    const std::wstring serial = L"NOLK" + std::to_wstring(++b.serials);
    auto wheel =
        std::make_shared<Wheel>(std::make_unique<detail::WheelCore>(model, productId, serial));
    b.wheels.push_back(wheel);
    b.announce(productId, Clock::now());
    return wheel;
}

std::vector<std::shared_ptr<Wheel>> wheels()
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    return b.wheels;
}

void removeAll()
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    for (const auto &wheel : b.wheels)
        wheel->core().unplug();
    b.wheels.clear();
    b.changed.notify_all();
}

void reset()
{
    removeAll();
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.log.clear();
    b.opens.clear();
    b.logEnabled = true;
    b.failures.fill({});
    b.latency.fill(std::chrono::microseconds{0});
    b.late.fill(Clock::duration{0});
    b.timing = FirmwareTiming{};
    b.misuse = 0;
    b.deviceEvents = true;
}

std::vector<LogEntry> log()
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    return b.log;
}

void clearLog()
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.log.clear();
    b.opens.clear();
}

std::vector<OpenAttempt> openAttempts()
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    return b.opens;
}

void setLogEnabled(bool enabled)
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.logEnabled = enabled;
}

void failNext(Transfer kind, int count)
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.failures[detail::transferIndex(kind)].failNext = count;
}

void failFrom(Transfer kind, int count)
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.failures[detail::transferIndex(kind)].untilFailing = count;
}

void clearFailures()
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.failures.fill({});
}

void setLatency(Transfer kind, std::chrono::microseconds latency)
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.latency[detail::transferIndex(kind)] = latency;
    b.late[detail::transferIndex(kind)] = Clock::duration{0};
}

void setFirmwareTiming(const FirmwareTiming &timing)
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.timing = timing;
}

FirmwareTiming firmwareTiming()
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    return b.timing;
}

int misuseCount()
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    return b.misuse;
}

int addArrivalListener(ArrivalListener listener)
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    const int id = ++b.arrivalListenerCount;
    b.arrivalListeners.emplace(id, std::move(listener));
    return id;
}

void removeArrivalListener(int id)
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.arrivalListeners.erase(id);
}

void setDeviceEventsAvailable(bool available)
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    b.deviceEvents = available;
}

bool deviceEventsAvailable()
{
    detail::Bus &b = bus();
    std::lock_guard<std::mutex> lock(b.mutex);
    return b.deviceEvents;
}

} // namespace emu
