#ifndef NOLKSET_WHEELCORE_H
#define NOLKSET_WHEELCORE_H

#include "emulator/wheelemulator.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct hid_device_;

namespace emu::detail {

// An input report as hid_read hands it out: report id, then normally the 16
// bytes; a wheel may also send a shorter one.
using InputFrame = std::vector<std::uint8_t>;

// What the wheel's firmware does with the reports it receives, seen from the
// wheel's side of the cable. Not locked: the bus calls it under its mutex.
class WheelCore
{
public:
    WheelCore(Model model, std::uint16_t productId, std::wstring serial);

    Model model() const { return wheelModel; }
    std::uint16_t productId() const { return wheelProductId; }
    const std::wstring &serial() const { return wheelSerial; }

    void unplug();
    void replug();
    bool isPlugged() const { return plugged; }
    bool isPresent() const;
    // Moves on to the given time: firmware writing and restart, the ends of
    // encoder pulses. Every caller does this first.
    void advance(Clock::time_point now);
    // The next moment advance has something to do.
    std::optional<Clock::time_point> nextDeadline() const;

    // Whether transfers on this handle still reach the wheel.
    bool reaches(const hid_device_ *handle) const;
    void attach(hid_device_ *handle);
    void detach(hid_device_ *handle);
    std::uint64_t connection() const { return connectionCount; }

    // The three kinds of transfer: hidapi's result, or -1 when the wheel does
    // not take the report.
    int sendFeature(const std::uint8_t *data, std::size_t length, Clock::time_point now,
                    const FirmwareTiming &timing);
    int getFeature(std::uint8_t *data, std::size_t length);
    int write(const std::uint8_t *data, std::size_t length);

    void queueInput(const InputReport &report);
    void queueFrame(const InputFrame &frame);
    void setHeld(int index, bool held);
    void setAxes(std::uint16_t axisR, std::uint16_t axisL);
    void turnEncoder(int index, Clock::time_point now);
    InputReport inputState() const;
    std::size_t pendingInputs() const;

    FirmwareState firmwareState() const { return firmware; }
    // When a wheel writing or restarting after an image is back.
    Clock::time_point restartEnd() const { return restartEnds; }
    bool isTeaching(std::uint8_t parameter) const;
    int timesTaught(std::uint8_t parameter) const;
    void setRawAnswer(std::uint8_t item, std::uint8_t parameter, const Report &answer);
    void clearRawAnswers() { rawAnswers.clear(); }

    std::string name;
    std::string buildDate;
    Settings live;
    Settings stored;
    Settings defaults;
    LedImage liveLeds{};
    LedImage storedLeds{};
    LedImage defaultLeds{};
    std::uint8_t charge = 0;
    std::uint16_t supply = 0;
    int flashClears = 0;
    std::vector<std::uint8_t> lastImage;
    int imagesWritten = 0;
    int imagesRejected = 0;
    bool openable = true;
    bool updateResetsSettings = false;

private:
    struct Teaching
    {
        bool active = false;
        int kept = 0;
    };
    struct PulseEdge
    {
        int index;
        bool set;
    };

    Report answerFor(std::uint8_t item, std::uint8_t parameter) const;
    void paddleMode(const std::uint8_t *data);
    void parameterWrite(const std::uint8_t *data);
    void clearFlash();
    void imageChunk(const std::uint8_t *data);
    void imageEnd(Clock::time_point now, const FirmwareTiming &timing);
    void restart();
    void sendState();
    void deliver(const InputFrame &frame);

    Model wheelModel;
    std::uint16_t wheelProductId;
    std::wstring wheelSerial;
    bool plugged = true;
    std::uint64_t connectionCount = 0;
    std::vector<hid_device_ *> handles;

    Report answer{};
    std::map<std::pair<std::uint8_t, std::uint8_t>, Report> rawAnswers;
    std::map<std::uint8_t, Teaching> teaching;

    std::uint16_t axisR = 2048;
    std::uint16_t axisL = 2048;
    std::uint64_t heldBits = 0;
    std::uint64_t pulseBits = 0;
    std::multimap<Clock::time_point, PulseEdge> pulseEdges;
    std::map<int, Clock::time_point> pulseFreeAt;

    FirmwareState firmware = FirmwareState::Running;
    std::vector<std::uint8_t> image;
    std::uint32_t nextChunk = 0;
    bool imageBroken = false;
    bool shortChunkSeen = false;
    std::string imageDate;
    Clock::time_point writingEnds;
    Clock::time_point restartEnds;
};

// The build date an image carries after the marker "NOLKFW:", up to a NUL
// byte or 18 bytes, whichever comes first; empty without the marker.
std::string imageBuildDate(const std::vector<std::uint8_t> &image);

} // namespace emu::detail

#endif
