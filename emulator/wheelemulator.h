#ifndef NOLKSET_WHEELEMULATOR_H
#define NOLKSET_WHEELEMULATOR_H

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Emulated Nolk wheels behind the hidapi C functions, and the handles tests,
// benchmarks and the demo use to plug them in, drive their inputs, look at
// what they received and make transfers fail. Every call is thread-safe.
namespace emu {

constexpr std::uint16_t VendorId = 0x7B3E;
constexpr std::size_t ReportSize = 20;
constexpr std::size_t InputSize = 16;
constexpr std::size_t LedImageSize = 72;
// Input reports go out with this report id in front of their 16 bytes.
constexpr std::uint8_t InputReportId = 0x01;
// The wheel's flash takes images up to this size.
constexpr std::size_t FlashSize = 229376;

using Report = std::array<std::uint8_t, ReportSize>;
using InputReport = std::array<std::uint8_t, InputSize>;
using LedImage = std::array<std::uint8_t, LedImageSize>;
using Clock = std::chrono::steady_clock;

enum class Model { Ralka, Demta, Sovin };

// "RALKA", "DEMTA" or "SOVIN".
std::string modelName(Model model);

enum class Transfer { SendFeature, GetFeature, Write, Read };

// The settings the wheel holds twice: live (in use now) and stored (kept in
// flash, answered to queries, taken over as live when the wheel starts).
struct Settings
{
    std::uint8_t paddleMode = 50;
    std::uint16_t axisMaxR = 4096;
    std::uint16_t axisMaxL = 4096;
    std::uint16_t axisMinR = 0;
    std::uint16_t axisMinL = 0;
    std::int32_t pulseWidth = 100;
    // Kept as written; the wheel counts 1 and -1 as on.
    std::int32_t clutch = 1;

    bool operator==(const Settings &other) const;
    bool operator!=(const Settings &other) const { return !(*this == other); }
};

enum class FirmwareState {
    Running,    // normal operation
    Receiving,  // chunks of an image are coming in
    Writing,    // a complete image is being written; transfers fail
    Restarting, // gone from the bus until it comes back
};

struct FirmwareTiming
{
    std::chrono::milliseconds writing{2000};
    std::chrono::milliseconds restart{1500};
};

struct LogEntry
{
    Transfer kind;
    std::uint16_t productId;
    // What the program sent (feature send, output write) or what it received
    // (feature get, input read).
    std::vector<std::uint8_t> bytes;
    int result;
    Clock::time_point time;
    std::thread::id thread;
};

// One call of hid_open, found or not.
struct OpenAttempt
{
    std::uint16_t vendorId;
    std::uint16_t productId;
    bool opened;
    Clock::time_point time;
};

namespace detail {
class WheelCore;
}

// One emulated wheel. Handles stay valid after the wheel was removed from
// the bus; the wheel then just is no longer plugged in.
class Wheel
{
public:
    explicit Wheel(std::unique_ptr<detail::WheelCore> core);
    ~Wheel();
    Wheel(const Wheel &) = delete;
    Wheel &operator=(const Wheel &) = delete;

    Model model() const;
    std::uint16_t productId() const;

    // The cable. A replugged wheel keeps its state; handles opened before the
    // unplug stay dead.
    void unplug();
    void replug();
    bool isPlugged() const;
    // Plugged and not restarting after a firmware update: hid_open finds it.
    bool isPresent() const;
    // A wheel that cannot be opened stays on the bus and in hid_enumerate,
    // but hid_open and hid_open_path fail on it, as on a hidraw node the user
    // has no permission for or another program holds.
    void setOpenable(bool openable);
    bool isOpenable() const;

    std::string name() const;
    void setName(const std::string &name);
    std::string buildDate() const;
    void setBuildDate(const std::string &date);

    Settings live() const;
    Settings stored() const;
    Settings defaults() const;
    void setLive(const Settings &settings);
    void setStored(const Settings &settings);
    void setDefaults(const Settings &settings);

    // The live image is the one last sent with output reports; the store
    // command copies it into the stored image, which the block queries answer.
    LedImage liveLeds() const;
    LedImage storedLeds() const;
    void setLiveLeds(const LedImage &image);
    void setStoredLeds(const LedImage &image);

    std::uint8_t batteryCharge() const;
    std::uint16_t supplyValue() const;
    void setBattery(std::uint8_t charge, std::uint16_t supply);

    // Shifter threshold teaching, parameters 0x03, 0x05, 0x06, 0x07.
    bool isTeaching(std::uint8_t parameter) const;
    // Thresholds kept by a finished teaching since the last flash clearing.
    int timesTaught(std::uint8_t parameter) const;

    // Answers a query of item (and, for item 0x0C, parameter) with these
    // bytes instead of the wheel's own answer.
    void setRawAnswer(std::uint8_t item, std::uint8_t parameter, const Report &answer);
    void clearRawAnswers();

    int flashClears() const;

    // Whether a written image leaves the stored settings and LED image at the
    // wheel's defaults when the wheel starts again, as some images do.
    void setUpdateResetsSettings(bool resets);

    // Inputs. Each change sends one input report to every open handle.
    // queueInput sends the given bytes without changing the wheel's state.
    void queueInput(const InputReport &report);
    // Sends these bytes, report id first, as one input report of their length.
    void queueFrame(const std::vector<std::uint8_t> &frame);
    void setHeld(int index, bool held);
    void setAxes(std::uint16_t axisR, std::uint16_t axisL);
    // One encoder detent: the input's bit is set for one live pulse width,
    // then cleared. Detents of one input follow one another.
    void turnEncoder(int index);
    InputReport inputState() const;
    // Reports waiting on open handles, not yet read.
    std::size_t pendingInputs() const;

    FirmwareState firmwareState() const;
    // The last image written, and how many were written or rejected.
    std::vector<std::uint8_t> lastImage() const;
    int imagesWritten() const;
    int imagesRejected() const;

    detail::WheelCore &core();

private:
    std::unique_ptr<detail::WheelCore> d;
};

// Plugs a new wheel of the model in, with the model's name, build date and
// default settings. Several wheels may share a product id; hid_open takes the
// one plugged first.
std::shared_ptr<Wheel> plug(Model model, std::uint16_t productId = 0x2007);
std::vector<std::shared_ptr<Wheel>> wheels();
// Unplugs and forgets every wheel.
void removeAll();
// removeAll, and back to an empty log, no failures, no latency, the default
// firmware timing and a zero misuse count: the state between tests.
void reset();

std::vector<LogEntry> log();
// Both are emptied by clearLog.
std::vector<OpenAttempt> openAttempts();
void clearLog();
// The demo runs for hours: it switches the log off.
void setLogEnabled(bool enabled);

// The next count transfers of the kind fail.
void failNext(Transfer kind, int count);
// After count more successful transfers of the kind, every further one fails.
void failFrom(Transfer kind, int count);
void clearFailures();

// Added to every transfer of the kind, slept outside the emulator's lock.
void setLatency(Transfer kind, std::chrono::microseconds latency);

void setFirmwareTiming(const FirmwareTiming &timing);
FirmwareTiming firmwareTiming();

// The emulated system's device events. A listener hears of every wheel that
// appears on the bus (plugged, plugged again, back from a firmware restart)
// with the moment it appears; a restart is told as it begins, with the
// moment the wheel will be back. Listeners run on the thread that plugged
// the wheel or sent the image end, under the emulator's lock: they only hand
// the news on.
using ArrivalListener = std::function<void(std::uint16_t productId, Clock::time_point at)>;
int addArrivalListener(ArrivalListener listener);
void removeArrivalListener(int id);
// Off, a device watcher made from then on cannot watch, as on a machine
// without udev; reset turns them on again.
void setDeviceEventsAvailable(bool available);
bool deviceEventsAvailable();

// Uses of the hidapi handle that are undefined in the real library: a call on
// a closed handle, a close while another call on the handle is running, two
// feature or output transfers at once on one handle.
int misuseCount();

} // namespace emu

#endif
