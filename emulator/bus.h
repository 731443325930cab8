#ifndef NOLKSET_EMULATOR_BUS_H
#define NOLKSET_EMULATOR_BUS_H

#include "emulator/wheelcore.h"
#include "emulator/wheelemulator.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>

// An open handle, as hid_open gives it out.
struct hid_device_
{
    std::shared_ptr<emu::Wheel> wheel;
    // The wheel's connection this handle was opened on; a later one (after an
    // unplug or a restart) leaves the handle dead.
    std::uint64_t connection = 0;
    bool nonBlocking = false;
    std::deque<emu::detail::InputFrame> inputs;
    int calls = 0;
    int controlCalls = 0;
    bool closed = false;
    const wchar_t *error = L"Success";
};

namespace emu::detail {

// Reports a reader left unread pile up to this many, then the oldest go.
constexpr std::size_t InputQueueLimit = 65536;

constexpr std::size_t transferIndex(Transfer kind)
{
    return static_cast<std::size_t>(kind);
}

struct FailureRule
{
    int failNext = 0;
    // Successful transfers left before every further one fails; -1 = never.
    long long untilFailing = -1;
};

// Everything the emulated bus shares between threads, under one mutex. The
// condition variable wakes blocking reads when reports or failures come.
struct Bus
{
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::shared_ptr<Wheel>> wheels;
    std::unordered_set<hid_device_ *> handles;
    std::vector<LogEntry> log;
    std::vector<OpenAttempt> opens;
    bool logEnabled = true;
    std::array<FailureRule, 4> failures{};
    std::array<std::chrono::microseconds, 4> latency{};
    // How late the last waits of the kind ended (bounded): taken off the
    // next waits, so that transfers in a row take their latency each on
    // average even when the scheduler wakes a thread late.
    std::array<Clock::duration, 4> late{};
    FirmwareTiming timing;
    int misuse = 0;
    unsigned serials = 0;
    const wchar_t *lastError = L"Success";
    std::map<int, ArrivalListener> arrivalListeners;
    int arrivalListenerCount = 0;
    bool deviceEvents = true;

    // Whether the transfer is to fail; counts it against the rules.
    bool shouldFail(Transfer kind);
    void record(Transfer kind, std::uint16_t productId, const std::uint8_t *bytes,
                std::size_t length, int result);
    // A call on a handle begins: false (and a misuse) for a handle not open.
    bool enter(hid_device_ *handle, bool control);
    // The call ends; a handle closed meanwhile is freed by its last call.
    void leave(hid_device_ *handle, bool control);
    // Tells every arrival listener that the wheel appears at that moment.
    void announce(std::uint16_t productId, Clock::time_point at);
};

Bus &bus();

} // namespace emu::detail

#endif
