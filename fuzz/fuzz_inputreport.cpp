// The input report the reader thread forwards for every change on the wheel,
// as the INPUTS page decodes it: axes, input bits, indicators and encoders.

#include "fuzzcheck.h"
#include "settings/inputmap.h"

#include <cstddef>
#include <cstdint>

using namespace inputmap;

namespace {

std::uint8_t byteAt(const QByteArray &report, int position)
{
    return position < report.size() ? static_cast<std::uint8_t>(report.at(position)) : 0;
}

} // namespace

// The first byte says whether the extra shifters are on; the rest is the
// report, of any length.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const bool extraShifters = (data[0] & 1) != 0;
    const QByteArray report(reinterpret_cast<const char *>(data + 1),
                            static_cast<qsizetype>(size - 1));
    const Input input = decode(report, extraShifters);

    FUZZ_CHECK(input.axisR == (byteAt(report, 0) | byteAt(report, 1) << 8));
    FUZZ_CHECK(input.axisL == (byteAt(report, 2) | byteAt(report, 3) << 8));
    FUZZ_CHECK(!isActive(input, -1) && !isActive(input, 64));
    for (int index = 0; index < 64; ++index) {
        const int position = 4 + index / 8;
        const bool expected = (position != ExtraShifterByte || extraShifters) &&
                              (byteAt(report, position) >> index % 8 & 1) != 0;
        FUZZ_CHECK(isActive(input, index) == expected);
    }

    // What the page does with each active input: light its indicator and,
    // for an encoder's input, find the pair it belongs to.
    for (int index = 0; index < 64; ++index) {
        if (!isActive(input, index))
            continue;
        const char *name = indicatorName(index);
        if (index >= IndicatorCount)
            FUZZ_CHECK(name == nullptr);
        if (const std::optional<EncoderPair> pair = encoderOf(index)) {
            FUZZ_CHECK(pair->raise == index || pair->lower == index);
            FUZZ_CHECK(pair->raise != pair->lower);
            FUZZ_CHECK(indicatorName(pair->raise) && indicatorName(pair->lower));
        }
    }
    return 0;
}
