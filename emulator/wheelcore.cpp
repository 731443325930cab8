#include "emulator/wheelcore.h"

#include "emulator/bus.h"

#include <algorithm>
#include <cstring>

namespace emu::detail {

namespace {

constexpr std::uint8_t FeatureId = 0x02;
constexpr std::uint8_t OutputId = 0x03;
constexpr std::uint8_t Stored = 0xEF;
constexpr std::size_t BlockSize = 18;
constexpr std::size_t TextRoom = ReportSize - 2;
constexpr char DateMarker[] = "NOLKFW:";

struct ModelIdentity
{
    const char *name;
    const char *date;
    bool battery;
};

ModelIdentity identityOf(Model model)
{
    switch (model) {
    case Model::Demta:
        return {"DEMTA", "Nov 21 2023,16:05", false};
    case Model::Sovin:
        return {"SOVIN", "Jan 12 2024,09:15", true};
    case Model::Ralka:
        break;
    }
    return {"RALKA", "Mar  5 2024,10:30", true};
}

std::int32_t int32At(const std::uint8_t *data)
{
    const std::uint32_t value = std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 |
                                std::uint32_t{data[2]} << 16 | std::uint32_t{data[3]} << 24;
    return static_cast<std::int32_t>(value);
}

std::uint16_t u16At(const std::uint8_t *data)
{
    return static_cast<std::uint16_t>(data[0] | data[1] << 8);
}

void putInt32(std::uint8_t *data, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void putU16(std::uint8_t *data, std::uint16_t value)
{
    data[0] = static_cast<std::uint8_t>(value);
    data[1] = static_cast<std::uint8_t>(value >> 8);
}

// Text from byte 2 on, NUL-ended when it leaves room for the NUL.
void putText(Report &report, const std::string &text)
{
    const std::size_t length = std::min(text.size(), TextRoom);
    std::memcpy(report.data() + 2, text.data(), length);
}

bool isShifter(std::uint8_t parameter)
{
    return parameter == 0x03 || parameter == 0x05 || parameter == 0x06 || parameter == 0x07;
}

} // namespace

std::string imageBuildDate(const std::vector<std::uint8_t> &image)
{
    const std::size_t markerLength = sizeof(DateMarker) - 1;
    const auto found =
        std::search(image.begin(), image.end(), DateMarker, DateMarker + markerLength);
    if (found == image.end())
        return {};
    std::string date;
    for (auto it = found + static_cast<std::ptrdiff_t>(markerLength);
         it != image.end() && *it != 0 && date.size() < TextRoom; ++it)
        date.push_back(static_cast<char>(*it));
    return date;
}

WheelCore::WheelCore(Model model, std::uint16_t productId, std::wstring serial)
    : wheelModel(model)
    , wheelProductId(productId)
    , wheelSerial(std::move(serial))
{
    const ModelIdentity identity = identityOf(model);
    name = identity.name;
    buildDate = identity.date;
    // A wheel without a battery runs on USB power and says so.
    charge = identity.battery ? 80 : 100;
    supply = identity.battery ? 3950 : 5000;
    defaultLeds.fill(0xFF);
    storedLeds = defaultLeds;
    liveLeds = defaultLeds;
    answer[0] = FeatureId;
}

void WheelCore::unplug()
{
    if (!plugged)
        return;
    plugged = false;
    ++connectionCount;
}

void WheelCore::replug()
{
    plugged = true;
}

bool WheelCore::isPresent() const
{
    return plugged && firmware != FirmwareState::Restarting;
}

void WheelCore::advance(Clock::time_point now)
{
    if (firmware == FirmwareState::Writing && now >= writingEnds) {
        firmware = FirmwareState::Restarting;
        ++connectionCount;
        ++imagesWritten;
    }
    if (firmware == FirmwareState::Restarting && now >= restartEnds)
        restart();
    while (!pulseEdges.empty() && pulseEdges.begin()->first <= now) {
        const PulseEdge edge = pulseEdges.begin()->second;
        pulseEdges.erase(pulseEdges.begin());
        const std::uint64_t bit = std::uint64_t{1} << edge.index;
        pulseBits = edge.set ? pulseBits | bit : pulseBits & ~bit;
        sendState();
    }
}

std::optional<Clock::time_point> WheelCore::nextDeadline() const
{
    std::optional<Clock::time_point> next;
    if (!pulseEdges.empty())
        next = pulseEdges.begin()->first;
    if (firmware == FirmwareState::Writing && (!next || writingEnds < *next))
        next = writingEnds;
    return next;
}

bool WheelCore::reaches(const hid_device_ *handle) const
{
    return isPresent() && handle->connection == connectionCount;
}

void WheelCore::attach(hid_device_ *handle)
{
    handles.push_back(handle);
}

void WheelCore::detach(hid_device_ *handle)
{
    handles.erase(std::remove(handles.begin(), handles.end(), handle), handles.end());
}

int WheelCore::sendFeature(const std::uint8_t *data, std::size_t length, Clock::time_point now,
                           const FirmwareTiming &timing)
{
    if (length != ReportSize || data[0] != FeatureId || firmware == FirmwareState::Writing)
        return -1;
    const std::uint8_t op = data[1];
    if (op >= 0x80)
        imageChunk(data);
    else if (op == 0x0A)
        paddleMode(data);
    else if (op == 0x0B)
        answer = answerFor(data[2], data[3]);
    else if (op == 0x0C)
        parameterWrite(data);
    else if (op == 0x0E)
        storedLeds = liveLeds;
    else if (op == 0x10)
        imageEnd(now, timing);
    return static_cast<int>(length);
}

int WheelCore::getFeature(std::uint8_t *data, std::size_t length)
{
    if (length == 0 || data[0] != FeatureId || firmware == FirmwareState::Writing)
        return -1;
    const std::size_t copied = std::min(length, ReportSize);
    std::memcpy(data, answer.data(), copied);
    return static_cast<int>(copied);
}

int WheelCore::write(const std::uint8_t *data, std::size_t length)
{
    if (length != ReportSize || data[0] != OutputId || firmware == FirmwareState::Writing)
        return -1;
    const std::size_t block = data[1];
    if (block < LedImageSize / BlockSize)
        std::memcpy(liveLeds.data() + block * BlockSize, data + 2, BlockSize);
    return static_cast<int>(length);
}

Report WheelCore::answerFor(std::uint8_t item, std::uint8_t parameter) const
{
    const auto raw = rawAnswers.find({item, item == 0x0C ? parameter : std::uint8_t{0}});
    if (raw != rawAnswers.end())
        return raw->second;

    Report report{};
    report[0] = FeatureId;
    report[1] = item;
    switch (item) {
    case 0x00:
    case 0x01:
    case 0x02:
    case 0x03:
        std::memcpy(report.data() + 2, storedLeds.data() + item * BlockSize, BlockSize);
        break;
    case 0x09:
        putText(report, buildDate);
        break;
    case 0x0A:
        report[2] = stored.paddleMode;
        putU16(report.data() + 5, stored.axisMaxR);
        putU16(report.data() + 7, stored.axisMaxL);
        putU16(report.data() + 9, stored.axisMinR);
        putU16(report.data() + 11, stored.axisMinL);
        break;
    case 0x0C:
        report[2] = parameter;
        if (parameter == 0x04)
            putInt32(report.data() + 3, stored.pulseWidth);
        else if (parameter == 0x08)
            putInt32(report.data() + 3, stored.clutch);
        else
            putInt32(report.data() + 3, -1);
        break;
    case 0x0D:
        putText(report, name);
        break;
    case 0x0F:
        report[2] = charge;
        putU16(report.data() + 3, supply);
        break;
    default:
        break;
    }
    return report;
}

void WheelCore::paddleMode(const std::uint8_t *data)
{
    live.paddleMode = data[2];
    if (data[3] != Stored || data[4] != 0x00)
        return;
    live.axisMaxR = u16At(data + 5);
    live.axisMaxL = u16At(data + 7);
    live.axisMinR = u16At(data + 9);
    live.axisMinL = u16At(data + 11);
    const std::int32_t pulseWidth = stored.pulseWidth;
    const std::int32_t clutch = stored.clutch;
    stored = live;
    stored.pulseWidth = pulseWidth;
    stored.clutch = clutch;
}

void WheelCore::parameterWrite(const std::uint8_t *data)
{
    const std::uint8_t parameter = data[2];
    const std::int32_t value = int32At(data + 3);
    const bool keep = data[7] == Stored;
    if (parameter == 0x04) {
        live.pulseWidth = value;
        if (keep)
            stored.pulseWidth = value;
    } else if (parameter == 0x08) {
        live.clutch = value;
        if (keep)
            stored.clutch = value;
    } else if (parameter == 0x10) {
        clearFlash();
    } else if (isShifter(parameter)) {
        Teaching &state = teaching[parameter];
        if (value == 0 && !keep) {
            state.active = true;
        } else if (value == -1 && keep && state.active) {
            state.active = false;
            ++state.kept;
        }
    }
}

void WheelCore::clearFlash()
{
    stored = defaults;
    storedLeds = defaultLeds;
    for (auto &entry : teaching)
        entry.second.kept = 0;
    ++flashClears;
}

void WheelCore::imageChunk(const std::uint8_t *data)
{
    const std::uint32_t chunk = std::uint32_t{data[1] & 0x7Fu} << 8 | data[2];
    const std::size_t count = data[3];
    if (chunk == 0) {
        firmware = FirmwareState::Receiving;
        image.clear();
        nextChunk = 0;
        imageBroken = false;
        shortChunkSeen = false;
    } else if (firmware != FirmwareState::Receiving) {
        // A chunk from the middle of an image whose start the wheel missed.
        firmware = FirmwareState::Receiving;
        image.clear();
        imageBroken = true;
    }
    if (imageBroken)
        return;
    if (chunk != nextChunk || count < 1 || count > 16 || shortChunkSeen ||
        image.size() + count > FlashSize) {
        imageBroken = true;
        return;
    }
    image.insert(image.end(), data + 4, data + 4 + count);
    ++nextChunk;
    shortChunkSeen = count < 16;
}

void WheelCore::imageEnd(Clock::time_point now, const FirmwareTiming &timing)
{
    if (firmware != FirmwareState::Receiving || imageBroken || image.empty()) {
        ++imagesRejected;
        firmware = FirmwareState::Running;
        image.clear();
        return;
    }
    lastImage = image;
    image.clear();
    imageDate = imageBuildDate(lastImage);
    firmware = FirmwareState::Writing;
    writingEnds = now + timing.writing;
    restartEnds = writingEnds + timing.restart;
}

void WheelCore::restart()
{
    firmware = FirmwareState::Running;
    if (!imageDate.empty())
        buildDate = imageDate;
    if (updateResetsSettings) {
        stored = defaults;
        storedLeds = defaultLeds;
    }
    live = stored;
    liveLeds = storedLeds;
    answer = Report{};
    answer[0] = FeatureId;
    for (auto &entry : teaching)
        entry.second.active = false;
}

bool WheelCore::isTeaching(std::uint8_t parameter) const
{
    const auto found = teaching.find(parameter);
    return found != teaching.end() && found->second.active;
}

int WheelCore::timesTaught(std::uint8_t parameter) const
{
    const auto found = teaching.find(parameter);
    return found == teaching.end() ? 0 : found->second.kept;
}

void WheelCore::setRawAnswer(std::uint8_t item, std::uint8_t parameter, const Report &raw)
{
    rawAnswers[{item, item == 0x0C ? parameter : std::uint8_t{0}}] = raw;
}

void WheelCore::queueInput(const InputReport &report)
{
    InputFrame frame(InputSize + 1);
    frame[0] = InputReportId;
    std::copy(report.begin(), report.end(), frame.begin() + 1);
    deliver(frame);
}

void WheelCore::queueFrame(const InputFrame &frame)
{
    deliver(frame);
}

void WheelCore::setHeld(int index, bool held)
{
    if (index < 0 || index > 63)
        return;
    const std::uint64_t bit = std::uint64_t{1} << index;
    heldBits = held ? heldBits | bit : heldBits & ~bit;
    sendState();
}

void WheelCore::setAxes(std::uint16_t right, std::uint16_t left)
{
    axisR = right;
    axisL = left;
    sendState();
}

void WheelCore::turnEncoder(int index, Clock::time_point now)
{
    if (index < 0 || index > 63)
        return;
    const auto width = std::chrono::milliseconds(std::max<std::int32_t>(live.pulseWidth, 1));
    const auto freeAt = pulseFreeAt.find(index);
    const Clock::time_point start =
        freeAt == pulseFreeAt.end() ? now : std::max(now, freeAt->second);
    if (start <= now) {
        pulseBits |= std::uint64_t{1} << index;
        sendState();
    } else {
        pulseEdges.insert({start, {index, true}});
    }
    pulseEdges.insert({start + width, {index, false}});
    pulseFreeAt[index] = start + width;
}

InputReport WheelCore::inputState() const
{
    InputReport report{};
    putU16(report.data(), axisR);
    putU16(report.data() + 2, axisL);
    const std::uint64_t bits = heldBits | pulseBits;
    for (int i = 0; i < 8; ++i)
        report[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
    return report;
}

std::size_t WheelCore::pendingInputs() const
{
    std::size_t pending = 0;
    for (const hid_device_ *handle : handles) {
        if (reaches(handle))
            pending += handle->inputs.size();
    }
    return pending;
}

void WheelCore::sendState()
{
    queueInput(inputState());
}

void WheelCore::deliver(const InputFrame &frame)
{
    // A wheel busy writing its flash reports nothing.
    if (firmware == FirmwareState::Writing)
        return;
    for (hid_device_ *handle : handles) {
        if (!reaches(handle))
            continue;
        if (handle->inputs.size() >= InputQueueLimit)
            handle->inputs.pop_front();
        handle->inputs.push_back(frame);
    }
}

} // namespace emu::detail
