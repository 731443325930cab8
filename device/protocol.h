#ifndef NOLKSET_PROTOCOL_H
#define NOLKSET_PROTOCOL_H

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The wheel's 20-byte reports as values: a builder for every command the tool
// sends and a decoder for every answer it reads. No I/O happens here.
namespace protocol {

constexpr std::size_t ReportSize = 20;
using Report = std::array<std::uint8_t, ReportSize>;

constexpr std::uint8_t FeatureReportId = 0x02;
constexpr std::uint8_t OutputReportId = 0x03;

constexpr std::uint16_t VendorId = 0x7B3E;
// Tried in this order when looking for a wheel.
constexpr std::array<std::uint16_t, 3> ProductIds{0x2007, 0x2008, 0x2009};

namespace op {
constexpr std::uint8_t PaddleMode = 0x0A;
constexpr std::uint8_t Query = 0x0B;
constexpr std::uint8_t ParameterWrite = 0x0C;
constexpr std::uint8_t LedStore = 0x0E;
constexpr std::uint8_t ImageEnd = 0x10;
// Bit 7 of byte 1 marks an image chunk; bits 0-6 carry the chunk number's
// high bits.
constexpr std::uint8_t ImageChunk = 0x80;
} // namespace op

// Query items (byte 2 of op 0x0B); the answer echoes the item in byte 1.
namespace item {
constexpr std::uint8_t LedBlock0 = 0x00; // blocks 0 to 3 are items 0x00 to 0x03
constexpr std::uint8_t FirmwareVersion = 0x09;
constexpr std::uint8_t PaddleMode = 0x0A;
constexpr std::uint8_t ParameterValue = 0x0C; // byte 3 names the parameter
constexpr std::uint8_t DeviceName = 0x0D;
constexpr std::uint8_t Battery = 0x0F;
} // namespace item

// Parameter numbers (byte 2 of op 0x0C, byte 3 of a parameter query).
namespace param {
constexpr std::uint8_t LeftShifter = 0x03;
constexpr std::uint8_t PulseWidth = 0x04;
constexpr std::uint8_t RightShifter = 0x05;
constexpr std::uint8_t ExtraLeftShifter = 0x06;
constexpr std::uint8_t ExtraRightShifter = 0x07;
constexpr std::uint8_t ClutchEnable = 0x08;
constexpr std::uint8_t ClearFlash = 0x10;
} // namespace param

// Follows a written value when the wheel is to keep it.
constexpr std::uint8_t StoreMarker = 0xEF;

constexpr std::int32_t ClutchOnValue = 1;
// Off is 255 (FF 00 00 00); the wheel also answers -1 for on.
constexpr std::int32_t ClutchOffValue = 255;

constexpr std::size_t MaxImageSize = 229376;
constexpr std::size_t ChunkSize = 16;
// The chunk number has 15 bits; offsets from here on cannot be addressed.
constexpr std::size_t ImageAddressLimit = std::size_t{1} << 19;

constexpr std::size_t LedBlockCount = 4;
constexpr std::size_t LedBlockSize = 18;
using LedBlock = std::array<std::uint8_t, LedBlockSize>;
// The wheel takes block 2 last.
constexpr std::array<std::uint8_t, LedBlockCount> LedBlockOrder{0, 1, 3, 2};

// Supply values from here up mean the wheel runs on USB power.
constexpr std::uint16_t UsbSupplyThreshold = 4300;

struct AxisRanges
{
    std::uint32_t maxR = 0;
    std::uint32_t maxL = 0;
    std::uint32_t minR = 0;
    std::uint32_t minL = 0;

    bool operator==(const AxisRanges &other) const
    {
        return maxR == other.maxR && maxL == other.maxL && minR == other.minR &&
               minL == other.minL;
    }
    bool operator!=(const AxisRanges &other) const { return !(*this == other); }
};

enum class ClutchSide { None, Left, Right };

struct PaddleMode
{
    ClutchSide side = ClutchSide::None;
    int bitePoint = 0;
};

// Bite point that goes with "no clutch paddle" when it is read back.
constexpr int NoClutchBitePoint = 50;
constexpr int MaxBitePoint = 100;

struct BatteryState
{
    std::uint8_t charge = 0;
    std::uint16_t supply = 0;
    bool onUsb = false;
};

// Positions that do not fit in the report read as 0 and are not written.
std::int32_t int32At(const Report &report, std::size_t position);
std::uint16_t u16At(const Report &report, std::size_t position);
void putInt32(Report &report, std::size_t position, std::int32_t value);
void putU16(Report &report, std::size_t position, std::uint16_t value);

// Byte 0 of the buffer must be the report id before a get; the answer then
// replaces the buffer.
Report query(std::uint8_t item);
Report parameterQuery(std::uint8_t parameter);

Report livePaddleMode(std::uint8_t mode);
// Axis values go out as their low 16 bits.
Report storedPaddleMode(std::uint8_t mode, const AxisRanges &ranges);

Report parameterWrite(std::uint8_t parameter, std::int32_t value, bool store);
Report shifterTeachStart(std::uint8_t parameter);
Report shifterTeachFinish(std::uint8_t parameter);
Report pulseWidthWrite(std::int32_t milliseconds, bool store);
// The stored pulse width write when the value differs from the one last
// stored; nothing when the wheel already keeps it.
std::optional<Report> pulseWidthSave(std::int32_t milliseconds, std::int32_t lastStored);
Report liveClutch(bool on);
// Turns the clutch answer held in the buffer into the stored clutch write;
// bytes 8 to 19 keep what the answer left there.
void makeStoredClutch(Report &answer, bool on);
Report clearFlash();
Report ledStore();
Report ledOutput(std::uint8_t block, const LedBlock &bytes);

// Fills the chunk header and the image bytes from offset on into a buffer
// that is reused for the whole image; bytes behind the data keep the previous
// chunk's. Returns the number of image bytes carried, or 0 (buffer untouched)
// for an offset that is not a chunk start, lies past the image or cannot be
// addressed.
std::size_t fillImageChunk(Report &report, const QByteArray &image, std::size_t offset);
// Bytes 2 to 19 keep what the last chunk left.
void makeImageEnd(Report &report);

// Left -> bite point, Right -> bite point + 101, None -> 0xFF. The bite point
// is kept within 0 to 100 so the value never reads back as the other side.
std::uint8_t encodePaddleMode(const PaddleMode &mode);
// 202 to 255 read as no clutch paddle.
PaddleMode decodePaddleMode(std::uint8_t value);
std::uint8_t paddleModeAnswer(const Report &answer);

// Whether an answer belongs to its query: byte 1 repeats the queried item
// and, for a parameter's value, byte 2 the parameter. A stale or garbled
// buffer that does not is no answer at all.
bool echoes(const Report &query, const Report &answer);

bool clutchOn(std::int32_t value);
bool clutchAnswer(const Report &answer);

// UTF-8 text from start up to the first NUL, never past the report's end.
QString textAt(const Report &report, std::size_t start);
// Empty when the answer does not echo the name item.
std::optional<QString> deviceNameAnswer(const Report &answer);
// Starts with the echoed item 0x09, a TAB; one trailing ':' is dropped.
QString firmwareVersionAnswer(const Report &answer);
// A negative answer means the wheel has no usable value; the caller ignores it.
std::int32_t pulseWidthAnswer(const Report &answer);
BatteryState batteryAnswer(const Report &answer);
LedBlock ledBlockAnswer(const Report &answer);

} // namespace protocol

#endif
