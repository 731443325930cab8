#ifndef NOLKSET_CALIBRATIONSTORE_H
#define NOLKSET_CALIBRATIONSTORE_H

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// The DirectInput calibration of the wheel's paddle axes: one 12-byte
// "Calibration" value (minimum, centre, maximum, 32-bit little-endian) per
// product id and axis. On Windows it lives in the registry where DirectInput
// reads it; elsewhere in a settings file under the same key path.
namespace calibrationstore {

constexpr int ValueSize = 12;

// DirectInput axis numbers of the two paddles.
constexpr int AxisR = 2;
constexpr int AxisL = 3;

struct AxisRange
{
    std::uint32_t minimum;
    std::uint32_t maximum;
};

// What an axis without a kept calibration reads as.
constexpr AxisRange Uncalibrated{0, 4096};

// System\...\VID_7B3E&PID_2007\Calibration\0\Type\Axes\3 for product 0x2007, axis 3.
QString keyPath(int productId, int axis);

// Centre = (minimum + maximum) / 2 in unsigned arithmetic.
QByteArray encode(const AxisRange &range);
// A value shorter than 12 bytes reads as far as it goes, the rest as zero.
AxisRange decode(const QByteArray &value);

// The kept calibration of the axis, or Uncalibrated when none can be read.
AxisRange load(int productId, int axis);
// False when the value could not be kept.
bool save(int productId, int axis, const AxisRange &range);

// The platform's store. Nothing when the key or value is absent, of another
// type than binary, or longer than 12 bytes.
std::optional<QByteArray> read(const QString &path);
// Opens the key or creates it with its parents, then sets the value.
bool write(const QString &path, const QByteArray &value);

} // namespace calibrationstore

#endif
