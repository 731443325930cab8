#ifndef NOLKSET_INPUTMAP_H
#define NOLKSET_INPUTMAP_H

#include <QByteArray>

#include <cstdint>
#include <optional>

// The wheel's input report as the INPUTS page reads it: the two paddle axes,
// the 64 input bits, the indicator each input lights and the inputs that
// belong to the rotary encoders.
namespace inputmap {

// Inputs from here up have no indicator and are ignored.
constexpr int IndicatorCount = 50;
// The byte carrying the extra shifters, inputs 48 and 49.
constexpr int ExtraShifterByte = 10;

struct Input
{
    std::uint16_t axisR = 0;
    std::uint16_t axisL = 0;
    // Bit i is input i.
    std::uint64_t bits = 0;
};

// Bytes a short report lacks read as zero. Without the extra shifters their
// byte reads as zero: those inputs never count.
Input decode(const QByteArray &report, bool extraShifters);

bool isActive(const Input &input, int index);

// Object name of the input's indicator on the INPUTS page; null when it has
// none (inputs 1, 33 and 50 up).
const char *indicatorName(int index);

// The two inputs of one rotary encoder: a detent of the first raises the
// bite point, a detent of the second lowers it.
struct EncoderPair
{
    std::uint8_t raise;
    std::uint8_t lower;
};

// The encoder an input belongs to, in whichever direction it was turned.
std::optional<EncoderPair> encoderOf(int index);

} // namespace inputmap

#endif
