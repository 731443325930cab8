#include "device/protocol.h"

#include <algorithm>

namespace protocol {

namespace {

Report featureReport(std::uint8_t opCode, std::uint8_t itemByte)
{
    Report report{};
    report[0] = FeatureReportId;
    report[1] = opCode;
    report[2] = itemByte;
    return report;
}

void setParameterWrite(Report &report, std::uint8_t parameter, std::int32_t value, bool store)
{
    report[0] = FeatureReportId;
    report[1] = op::ParameterWrite;
    report[2] = parameter;
    putInt32(report, 3, value);
    report[7] = store ? StoreMarker : 0x00;
}

} // namespace

std::int32_t int32At(const Report &report, std::size_t position)
{
    if (position > ReportSize - 4)
        return 0;
    const std::uint32_t value =
        std::uint32_t{report[position]} | std::uint32_t{report[position + 1]} << 8 |
        std::uint32_t{report[position + 2]} << 16 | std::uint32_t{report[position + 3]} << 24;
    return static_cast<std::int32_t>(value);
}

std::uint16_t u16At(const Report &report, std::size_t position)
{
    if (position > ReportSize - 2)
        return 0;
    return static_cast<std::uint16_t>(report[position] | report[position + 1] << 8);
}

void putInt32(Report &report, std::size_t position, std::int32_t value)
{
    if (position > ReportSize - 4)
        return;
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        report[position + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void putU16(Report &report, std::size_t position, std::uint16_t value)
{
    if (position > ReportSize - 2)
        return;
    report[position] = static_cast<std::uint8_t>(value);
    report[position + 1] = static_cast<std::uint8_t>(value >> 8);
}

Report query(std::uint8_t item)
{
    return featureReport(op::Query, item);
}

Report parameterQuery(std::uint8_t parameter)
{
    Report report = featureReport(op::Query, item::ParameterValue);
    report[3] = parameter;
    return report;
}

Report livePaddleMode(std::uint8_t mode)
{
    return featureReport(op::PaddleMode, mode);
}

Report storedPaddleMode(std::uint8_t mode, const AxisRanges &ranges)
{
    Report report = featureReport(op::PaddleMode, mode);
    report[3] = StoreMarker;
    putU16(report, 5, static_cast<std::uint16_t>(ranges.maxR));
    putU16(report, 7, static_cast<std::uint16_t>(ranges.maxL));
    putU16(report, 9, static_cast<std::uint16_t>(ranges.minR));
    putU16(report, 11, static_cast<std::uint16_t>(ranges.minL));
    return report;
}

Report parameterWrite(std::uint8_t parameter, std::int32_t value, bool store)
{
    Report report{};
    setParameterWrite(report, parameter, value, store);
    return report;
}

Report shifterTeachStart(std::uint8_t parameter)
{
    return parameterWrite(parameter, 0, false);
}

Report shifterTeachFinish(std::uint8_t parameter)
{
    return parameterWrite(parameter, -1, true);
}

Report pulseWidthWrite(std::int32_t milliseconds, bool store)
{
    return parameterWrite(param::PulseWidth, milliseconds, store);
}

std::optional<Report> pulseWidthSave(std::int32_t milliseconds, std::int32_t lastStored)
{
    if (milliseconds == lastStored)
        return std::nullopt;
    return pulseWidthWrite(milliseconds, true);
}

Report liveClutch(bool on)
{
    return parameterWrite(param::ClutchEnable, on ? ClutchOnValue : ClutchOffValue, false);
}

void makeStoredClutch(Report &answer, bool on)
{
    setParameterWrite(answer, param::ClutchEnable, on ? ClutchOnValue : ClutchOffValue, true);
}

Report clearFlash()
{
    return parameterWrite(param::ClearFlash, 0, false);
}

Report ledStore()
{
    return featureReport(op::LedStore, 0x00);
}

Report ledOutput(std::uint8_t block, const LedBlock &bytes)
{
    Report report{};
    report[0] = OutputReportId;
    report[1] = block;
    std::copy(bytes.begin(), bytes.end(), report.begin() + 2);
    return report;
}

std::size_t fillImageChunk(Report &report, const QByteArray &image, std::size_t offset)
{
    const auto size = static_cast<std::size_t>(image.size());
    if (offset % ChunkSize != 0 || offset >= size || offset >= ImageAddressLimit)
        return 0;
    const std::size_t count = std::min(size - offset, ChunkSize);
    report[0] = FeatureReportId;
    report[1] = static_cast<std::uint8_t>(op::ImageChunk | (offset >> 12));
    report[2] = static_cast<std::uint8_t>(offset >> 4);
    report[3] = static_cast<std::uint8_t>(count);
    const char *data = image.constData() + offset;
    std::copy(data, data + count, report.begin() + 4);
    return count;
}

void makeImageEnd(Report &report)
{
    report[0] = FeatureReportId;
    report[1] = op::ImageEnd;
}

std::uint8_t encodePaddleMode(const PaddleMode &mode)
{
    const int bitePoint = std::clamp(mode.bitePoint, 0, MaxBitePoint);
    switch (mode.side) {
    case ClutchSide::Left:
        return static_cast<std::uint8_t>(bitePoint);
    case ClutchSide::Right:
        return static_cast<std::uint8_t>(bitePoint + MaxBitePoint + 1);
    case ClutchSide::None:
        break;
    }
    return 0xFF;
}

PaddleMode decodePaddleMode(std::uint8_t value)
{
    if (value <= MaxBitePoint)
        return {ClutchSide::Left, value};
    if (value - (MaxBitePoint + 1) <= MaxBitePoint)
        return {ClutchSide::Right, value - (MaxBitePoint + 1)};
    return {ClutchSide::None, NoClutchBitePoint};
}

std::uint8_t paddleModeAnswer(const Report &answer)
{
    return answer[2];
}

bool echoes(const Report &query, const Report &answer)
{
    if (answer[1] != query[2])
        return false;
    return query[2] != item::ParameterValue || answer[2] == query[3];
}

bool clutchOn(std::int32_t value)
{
    return value == ClutchOnValue || value == -1;
}

bool clutchAnswer(const Report &answer)
{
    return clutchOn(int32At(answer, 3));
}

QString textAt(const Report &report, std::size_t start)
{
    if (start >= ReportSize)
        return QString();
    const auto begin = report.begin() + static_cast<std::ptrdiff_t>(start);
    const auto end = std::find(begin, report.end(), std::uint8_t{0});
    return QString::fromUtf8(reinterpret_cast<const char *>(&*begin),
                             static_cast<qsizetype>(end - begin));
}

std::optional<QString> deviceNameAnswer(const Report &answer)
{
    if (answer[1] != item::DeviceName)
        return std::nullopt;
    return textAt(answer, 2);
}

QString firmwareVersionAnswer(const Report &answer)
{
    QString text = textAt(answer, 1);
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

std::int32_t pulseWidthAnswer(const Report &answer)
{
    return int32At(answer, 3);
}

BatteryState batteryAnswer(const Report &answer)
{
    BatteryState state;
    state.charge = answer[2];
    state.supply = u16At(answer, 3);
    state.onUsb = state.supply >= UsbSupplyThreshold;
    return state;
}

LedBlock ledBlockAnswer(const Report &answer)
{
    LedBlock block{};
    std::copy(answer.begin() + 2, answer.end(), block.begin());
    return block;
}

} // namespace protocol
