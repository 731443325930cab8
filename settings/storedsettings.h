#ifndef NOLKSET_STOREDSETTINGS_H
#define NOLKSET_STOREDSETTINGS_H

#include "device/protocol.h"
#include "settings/ledimage.h"
#include "settings/settingssnapshot.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// Reads the settings the open wheel keeps and stores new ones, with the
// queries and stored commands the window's connection and save buttons use,
// the command line and the local server alike.
// Every read gives nothing when a transfer failed: a value the wheel did not
// report is never guessed.
namespace storedsettings {

// Sends a query and returns its answer; nothing when the wheel did not take
// the query, gave no answer or an answer that does not echo the query, so a
// wheel lost halfway through or a stale buffer leaves the caller's values
// alone instead of being decoded as one.
std::optional<protocol::Report> ask(const protocol::Report &request);

std::optional<ledimage::Image> readLeds();
std::optional<std::uint8_t> readPaddleMode();
// As the wheel answers it; a negative answer means it has no usable value.
std::optional<std::int32_t> readPulseWidth();
std::optional<bool> readClutch();
std::optional<QString> readName();
// With the echoed item code (a TAB) in front, as the wheel answers it.
std::optional<QString> readFirmwareVersion();

// What a connection reads, in the order it asks the wheel. The window's
// connection and the full read below both walk this list. The settings a
// restore or a flash clearing changes come first, SettingReadCount of them.
enum class Read { Leds, PaddleMode, PulseWidth, Clutch, Name, FirmwareVersion };
inline constexpr std::array<Read, 6> ConnectionReads = {Read::Leds,       Read::PaddleMode,
                                                        Read::PulseWidth, Read::Clutch,
                                                        Read::Name,       Read::FirmwareVersion};
inline constexpr std::size_t SettingReadCount = 4;

struct Reading
{
    std::optional<settingssnapshot::Settings> settings;
    // What could not be read, when nothing was.
    QString failed;
};

// Every stored setting of the open wheel, with the axis calibration this
// computer keeps for its product id.
Reading readAll(int productId);

enum class Save { Unchanged, Stored, Failed };

// Left: the bite point; right: bite point + 101; neither: -1 (0xFF once cut
// to the report's byte).
int paddleModeValue(bool left, bool right, int bitePoint);

// The last stored paddle mode, kept as decimal text; text that is not a
// number counts as 0.
int storedPaddleMode(const QString &text);

// The stored paddle report with the axis ranges, when the mode differs from
// the stored one or the ranges from those the wheel was last given (nothing
// given: the wheel has not had the ranges in use).
std::optional<protocol::Report> paddleWrite(std::uint8_t mode, int storedMode,
                                            const protocol::AxisRanges &ranges,
                                            const std::optional<protocol::AxisRanges> &given);

// The stored clutch write, when the state the wheel answered differs from
// the page's. It is made in the answer itself: bytes 8 to 19 go back to the
// wheel as it left them.
std::optional<protocol::Report> clutchWrite(protocol::Report answer, bool clutchOn);

// The stored paddle report; it also carries the axis ranges.
bool storePaddleMode(std::uint8_t mode, const protocol::AxisRanges &ranges);
// The same, only when the mode differs from the one last stored or the
// ranges from those the wheel was last given.
Save savePaddleMode(std::uint8_t mode, int lastStored, const protocol::AxisRanges &ranges,
                    const std::optional<protocol::AxisRanges> &given);
protocol::AxisRanges axisRanges(const calibrationstore::AxisRange &left,
                                const calibrationstore::AxisRange &right);

// The stored pulse width write when the width differs from the one last
// stored; nothing is sent otherwise.
Save savePulseWidth(std::int32_t milliseconds, std::int32_t lastStored);

// Asks the wheel for its clutch state and, only when it differs, writes the
// stored clutch state into that answer and sends it back: bytes 8 to 19 go to
// the wheel as it left them. False when the query or the write failed.
bool storeClutch(bool on);

// Writes the four LED output reports, block 2 last. With store, the wheel is
// then told to keep them, but only when all four were taken: a store after a
// lost block would keep a half-old image in flash. True when every report
// sent was taken.
bool sendLeds(const ledimage::Image &image, bool store);

} // namespace storedsettings

#endif
