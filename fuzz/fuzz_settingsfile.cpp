// A settings backup file handed to the command line's restore: whatever JSON
// (or anything else) the file holds.

#include "fuzzcheck.h"
#include "settings/settingssnapshot.h"

#include <cstddef>
#include <cstdint>

using namespace settingssnapshot;

namespace {

Settings wheelSettings()
{
    Settings settings;
    settings.model = QStringLiteral("RALKA");
    settings.firmwareVersion = QStringLiteral("Mar  5 2024,10:30");
    settings.paddleMode = 50;
    settings.pulseWidth = 100;
    settings.clutchOn = true;
    settings.leds.fill(0xFF);
    return settings;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const Decoded decoded = decode(json);
    FUZZ_CHECK(decoded.document.has_value() == decoded.error.isEmpty());
    if (!decoded.document)
        return 0;
    const Document &document = *decoded.document;
    FUZZ_CHECK(!document.model.isEmpty());
    FUZZ_CHECK(!document.bitePoint || (*document.bitePoint >= 0 && *document.bitePoint <= 100));
    FUZZ_CHECK(!document.pulseWidth ||
               (*document.pulseWidth >= MinPulseWidth && *document.pulseWidth <= MaxPulseWidth));

    // What a restore stores is what a backup of it writes and reads back.
    const Settings wanted = apply(wheelSettings(), document);
    const Decoded again = decode(encode(wanted));
    FUZZ_CHECK(again.document.has_value());
    FUZZ_CHECK(differences(wanted, apply(Settings{}, *again.document)).isEmpty());
    return 0;
}
