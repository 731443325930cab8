// The paddle axes' stored calibration value: whatever bytes the registry (or
// the settings file that stands in for it) holds under "Calibration".

#include "fuzzcheck.h"
#include "settings/calibrationstore.h"

#include <QtEndian>

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace calibrationstore;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray value(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const AxisRange range = decode(value);

    // Missing bytes read as zero, bytes past the value are never read.
    uchar padded[ValueSize] = {};
    std::copy_n(data, std::min<std::size_t>(size, ValueSize), padded);
    FUZZ_CHECK(range.minimum == qFromLittleEndian<quint32>(padded));
    FUZZ_CHECK(range.maximum == qFromLittleEndian<quint32>(padded + 8));

    const QByteArray stored = encode(range);
    FUZZ_CHECK(stored.size() == ValueSize);
    const AxisRange again = decode(stored);
    FUZZ_CHECK(again.minimum == range.minimum && again.maximum == range.maximum);
    const quint32 centre = qFromLittleEndian<quint32>(stored.constData() + 4);
    FUZZ_CHECK(centre >= std::min(range.minimum, range.maximum) &&
               centre <= std::max(range.minimum, range.maximum));
    return 0;
}
