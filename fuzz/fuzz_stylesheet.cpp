// Any style sheet an LED button may carry (the form's, a theme's, one painted
// before) with a colour painted into it and read back from it.

#include "fuzzcheck.h"
#include "settings/ledimage.h"

#include <cstddef>
#include <cstdint>

using namespace ledimage;

// The first three bytes are the colour painted; the rest is the style sheet
// as UTF-8.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 3)
        return 0;
    const QColor color(data[0], data[1], data[2]);
    const QString sheet = QString::fromUtf8(reinterpret_cast<const char *>(data + 3),
                                            static_cast<qsizetype>(size - 3));

    const QColor found = styleSheetColor(sheet);
    FUZZ_CHECK(!found.isValid() || found == found.toRgb());

    const QString painted = styleSheetWithColor(sheet, color);
    const QString value =
        QString::asprintf("rgb(%d,%d,%d);", color.red(), color.green(), color.blue());
    FUZZ_CHECK(painted.contains(value));
    // With no other colour in the way, what was painted is what reads back,
    // also after painting over it.
    if (!sheet.contains(QLatin1String("rgb"))) {
        FUZZ_CHECK(styleSheetColor(painted) == color);
        const QColor other(255 - color.red(), 255 - color.green(), 255 - color.blue());
        const QString repainted = styleSheetWithColor(painted, other);
        FUZZ_CHECK(styleSheetColor(repainted) == other);
        FUZZ_CHECK(styleSheetWithColor(repainted, color) == painted);
    }
    return 0;
}
