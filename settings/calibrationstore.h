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

struct AxisRange
{
    std::uint32_t minimum;
    std::uint32_t maximum;
};

// System\...\VID_7B3E&PID_2007\Calibration\0\Type\Axes\3 for product 0x2007, axis 3.
QString keyPath(int productId, int axis);

// Centre = (minimum + maximum) / 2 in unsigned arithmetic.
QByteArray encode(const AxisRange &range);
// A value shorter than 12 bytes reads as far as it goes, the rest as zero.
AxisRange decode(const QByteArray &value);

// Nothing when the key or value is absent, of another type, or longer than
// 12 bytes.
std::optional<QByteArray> read(const QString &path);
// Failures are silent: the calibration simply stays unwritten.
void write(const QString &path, const QByteArray &value);

} // namespace calibrationstore

#endif
