// Every answer the wheel can put into a 20-byte feature report, through every
// decoder the connection, the pages and the battery poll read it with.

#include "device/protocol.h"
#include "fuzzcheck.h"
#include "settings/storedsettings.h"
#include "wireless/batteryline.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

using namespace protocol;

namespace {

void checkPaddleMode(const Report &answer)
{
    const std::uint8_t value = paddleModeAnswer(answer);
    FUZZ_CHECK(value == answer[2]);
    const PaddleMode mode = decodePaddleMode(value);
    FUZZ_CHECK(mode.bitePoint >= 0 && mode.bitePoint <= MaxBitePoint);
    // Every value a clutch paddle can have reads back as itself.
    if (value <= 2 * MaxBitePoint + 1)
        FUZZ_CHECK(encodePaddleMode(mode) == value);
    else
        FUZZ_CHECK(mode.side == ClutchSide::None && encodePaddleMode(mode) == 0xFF);
}

void checkTexts(const Report &answer)
{
    const std::optional<QString> name = deviceNameAnswer(answer);
    FUZZ_CHECK(name.has_value() == (answer[1] == item::DeviceName));
    // UTF-8 never decodes to more UTF-16 units than it has bytes.
    if (name)
        FUZZ_CHECK(name->size() <= 18 && !name->contains(QChar(0)));

    const QString version = firmwareVersionAnswer(answer);
    FUZZ_CHECK(version.size() <= 19 && !version.contains(QChar(0)));
    if (answer[1] == item::FirmwareVersion)
        FUZZ_CHECK(version.startsWith(QLatin1Char('\t')));
}

void checkValues(const Report &answer)
{
    const std::int32_t value = int32At(answer, 3);
    FUZZ_CHECK(clutchAnswer(answer) == (value == 1 || value == -1));
    FUZZ_CHECK(pulseWidthAnswer(answer) == value);

    const BatteryState battery = batteryAnswer(answer);
    FUZZ_CHECK(battery.charge == answer[2]);
    FUZZ_CHECK(battery.supply == (answer[3] | answer[4] << 8));
    FUZZ_CHECK(battery.onUsb == (battery.supply >= UsbSupplyThreshold));

    const QString line = batteryline::text(battery);
    FUZZ_CHECK(line.endsWith(battery.onUsb ? QStringLiteral("USB")
                                           : QString::number(battery.charge) + QLatin1Char('%')));

    // Saving the PADDLES page writes the clutch only when the answer differs,
    // into the answer itself: bytes 8 to 19 go back as the wheel left them.
    for (const bool on : {false, true}) {
        const std::optional<Report> write = storedsettings::clutchWrite(answer, on);
        FUZZ_CHECK(write.has_value() == (clutchAnswer(answer) != on));
        if (write) {
            FUZZ_CHECK(*write == [&] {
                Report expected = answer;
                makeStoredClutch(expected, on);
                return expected;
            }());
            FUZZ_CHECK((*write)[7] == StoreMarker && clutchAnswer(*write) == on);
            FUZZ_CHECK(std::equal(write->begin() + 8, write->end(), answer.begin() + 8));
        }
    }

    const LedBlock block = ledBlockAnswer(answer);
    FUZZ_CHECK(std::equal(block.begin(), block.end(), answer.begin() + 2));
}

// The echo check between a query for asked (and, for a parameter's value,
// parameter) and the answer. Both go in as heap copies of exactly one
// report, so the address sanitizer stops any read past byte 19.
void checkEcho(const Report &answer, std::uint8_t asked, std::uint8_t parameter)
{
    const bool isParameter = asked == item::ParameterValue;
    const auto sent =
        std::make_unique<Report>(isParameter ? parameterQuery(parameter) : query(asked));
    const auto received = std::make_unique<Report>(answer);
    const bool echoed = echoes(*sent, *received);
    FUZZ_CHECK(*received == answer);
    // The name's own decoder takes the same answers as its own.
    if (asked == item::DeviceName)
        FUZZ_CHECK(deviceNameAnswer(answer).has_value() == echoed);
    // A get that left the query in the buffer brought no answer.
    if (asked != op::Query)
        FUZZ_CHECK(!echoes(*sent, *sent));

    // Only the echo bytes decide: every other byte may be anything.
    Report withEcho = answer;
    for (std::size_t i = 0; i < ReportSize; ++i)
        withEcho[i] = static_cast<std::uint8_t>(~withEcho[i]);
    withEcho[1] = answer[1];
    withEcho[2] = answer[2];
    FUZZ_CHECK(echoes(*sent, withEcho) == echoed);

    // The echo shares no byte with the value: an answer with the echo put in
    // decodes as the bare answer does.
    withEcho = answer;
    withEcho[1] = asked;
    if (isParameter)
        withEcho[2] = parameter;
    FUZZ_CHECK(echoes(*sent, withEcho));
    if (isParameter) {
        FUZZ_CHECK(pulseWidthAnswer(withEcho) == pulseWidthAnswer(answer));
        FUZZ_CHECK(clutchAnswer(withEcho) == clutchAnswer(answer));
    } else if (asked < LedBlockCount) {
        FUZZ_CHECK(ledBlockAnswer(withEcho) == ledBlockAnswer(answer));
    } else if (asked == item::PaddleMode) {
        FUZZ_CHECK(paddleModeAnswer(withEcho) == paddleModeAnswer(answer));
    } else if (asked == item::Battery) {
        const BatteryState echoedState = batteryAnswer(withEcho);
        const BatteryState bare = batteryAnswer(answer);
        FUZZ_CHECK(echoedState.charge == bare.charge && echoedState.supply == bare.supply);
    } else if (asked == item::DeviceName) {
        FUZZ_CHECK(deviceNameAnswer(withEcho) == textAt(answer, 2));
    }
}

// Positions past the report read as nothing rather than past its end.
void checkPositions(const Report &answer, std::size_t position)
{
    const std::int32_t value = int32At(answer, position);
    if (position > ReportSize - 4)
        FUZZ_CHECK(value == 0);
    const std::uint16_t half = u16At(answer, position);
    if (position > ReportSize - 2)
        FUZZ_CHECK(half == 0);
    const QString text = textAt(answer, position);
    if (position >= ReportSize)
        FUZZ_CHECK(text.isEmpty());

    Report written = answer;
    putInt32(written, position, value);
    putU16(written, position, half);
    FUZZ_CHECK(written == answer);
}

} // namespace

// Bytes 0 to 19 are the answer (missing ones zero); the next 8 pick a
// position, and the 2 after them the queried item and parameter.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Report answer{};
    std::copy_n(data, std::min(size, ReportSize), answer.begin());
    checkPaddleMode(answer);
    checkTexts(answer);
    checkValues(answer);

    std::size_t position = 0;
    for (std::size_t i = ReportSize; i < size && i < ReportSize + sizeof position; ++i)
        position = position << 8 | data[i];
    checkPositions(answer, position);

    const std::size_t askedAt = ReportSize + sizeof position;
    checkEcho(answer, size > askedAt ? data[askedAt] : item::LedBlock0,
              size > askedAt + 1 ? data[askedAt + 1] : param::PulseWidth);
    return 0;
}
