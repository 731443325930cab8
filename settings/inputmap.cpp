#include "settings/inputmap.h"

#include <algorithm>
#include <array>

namespace inputmap {

namespace {

constexpr int BitsOffset = 4;
constexpr int BitsBytes = 8;

constexpr std::array<const char *, IndicatorCount> Indicators{
    "pbIB1",  nullptr,  "pbID5L", "pbID5R",  "pbID1L",  "pbID1R", "pbIB2",  "pbIB6",  "pbJsL1",
    "pbJsL2", "pbJsL3", "pbJsL4", "pbJsLC",  "pbJsLL",  "pbJsLR", "pbIB5",  "pbID7L", "pbID7R",
    "pbID3L", "pbID3R", "pbIB3",  "pbIB4",   "pbIBarR", "pbSWL",  "pbID8L", "pbID8R", "pbID4L",
    "pbID4R", "pbIB11", "pbIB12", "pbIBarL", "pbSWR",   "pbIB9",  nullptr,  "pbID6L", "pbID6R",
    "pbID2L", "pbID2R", "pbIB10", "pbIB13",  "pbJsR1",  "pbJsR2", "pbJsR3", "pbJsR4", "pbJsRC",
    "pbJsRL", "pbJsRR", "pbIB14", "pbIExR",  "pbIExL"};

// The ten encoders' pairs one after another, raise before lower.
constexpr std::array<std::uint8_t, 20> EncoderInputs{2,  3,  4,  5,  13, 14, 16, 17, 18, 19,
                                                     24, 25, 26, 27, 34, 35, 36, 37, 45, 46};

std::uint8_t byteAt(const QByteArray &report, int position)
{
    return position < report.size() ? static_cast<std::uint8_t>(report.at(position)) : 0;
}

} // namespace

Input decode(const QByteArray &report, bool extraShifters)
{
    Input input;
    input.axisR = static_cast<std::uint16_t>(byteAt(report, 0) | byteAt(report, 1) << 8);
    input.axisL = static_cast<std::uint16_t>(byteAt(report, 2) | byteAt(report, 3) << 8);
    for (int k = 0; k < BitsBytes; ++k) {
        const int position = BitsOffset + k;
        if (position == ExtraShifterByte && !extraShifters)
            continue;
        input.bits |= std::uint64_t{byteAt(report, position)} << (8 * k);
    }
    return input;
}

bool isActive(const Input &input, int index)
{
    return index >= 0 && index < 64 && (input.bits >> index & 1U) != 0;
}

const char *indicatorName(int index)
{
    if (index < 0 || index >= IndicatorCount)
        return nullptr;
    return Indicators[static_cast<std::size_t>(index)];
}

std::optional<EncoderPair> encoderOf(int index)
{
    const auto hit = std::find(EncoderInputs.begin(), EncoderInputs.end(), index);
    if (hit == EncoderInputs.end())
        return std::nullopt;
    const auto pair = static_cast<std::size_t>(hit - EncoderInputs.begin()) & ~std::size_t{1};
    return EncoderPair{EncoderInputs[pair], EncoderInputs[pair + 1]};
}

} // namespace inputmap
