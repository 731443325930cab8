#ifndef NOLKSET_LEDIMAGE_H
#define NOLKSET_LEDIMAGE_H

#include "device/protocol.h"

#include <QColor>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

// The wheel's LED colour image: 48 slots of red, green and blue at 4 bits a
// channel, two channels a byte, and how the LED buttons' style sheets carry
// the colours the image is made from.
namespace ledimage {

constexpr std::size_t SlotCount = 48;
// Slots from here on belong to no button and are sent fully lit.
constexpr std::size_t ButtonSlotCount = 43;
constexpr std::size_t ChannelCount = 3 * SlotCount;
constexpr std::size_t ImageSize = ChannelCount / 2;
static_assert(ImageSize == protocol::LedBlockCount * protocol::LedBlockSize);

using Image = std::array<std::uint8_t, ImageSize>;
using Channels = std::array<std::uint8_t, ChannelCount>;
using SlotColors = std::array<QColor, ButtonSlotCount>;

// 8-bit value shown for each 4-bit channel value.
constexpr std::array<std::uint8_t, 16> DisplayTable{0,  4,   9,   17,  28,  39,  53,  69,
                                                    86, 106, 126, 149, 173, 199, 226, 255};

// Object name of the button that shows a slot; empty for slots 43 to 47.
// pbD13, pbD23, pbD16 and pbD26 stand for three slots each.
QString slotButton(std::size_t slot);
// Slots 0 to 11, those of the pbB buttons, get the white correction.
bool slotWhiteCorrected(std::size_t slot);

// With the correction on, pure white goes out as (128, 255, 192), which the
// wheel keeps as the channel values 8, 15, 12.
QColor sentColor(const QColor &color, bool correctWhite);
// (86, 255, 173) is how a corrected white reads back; it is painted as white.
QColor paintedColor(const QColor &color);

// The 4-bit value sent for an 8-bit channel: its high 4 bits, except that a
// display-table value goes back to its own index. Colours read from the wheel
// are shown as display-table values; without that they would come out darker
// on every send (4, the display of 1, would turn the LED off).
std::uint8_t channelNibble(std::uint8_t value);
// Channel 2k goes into the low nibble of byte k, channel 2k + 1 into its high
// nibble.
Image pack(const Channels &channels);
// Invalid colours go out as black; slots 43 to 47 as 0xF in every channel.
Image packColors(const SlotColors &colors);
// Every channel as its display-table value.
Channels unpack(const Image &image);
QColor slotColor(const Channels &channels, std::size_t slot);

protocol::LedBlock imageBlock(const Image &image, std::size_t block);
void setImageBlock(Image &image, std::size_t block, const protocol::LedBlock &bytes);
// The four LED output reports in the order the wheel takes them.
std::array<protocol::Report, protocol::LedBlockCount> outputReports(const Image &image);

// A button's colour lives only in its style sheet, as "rgb(r,g,b);" right
// after the first "color:". Replaces the first rgb(...) value with the colour.
QString styleSheetWithColor(const QString &styleSheet, const QColor &color);
// The colour of the first rgb(...) value; invalid when there is none, when it
// has fewer than three parts or when a part lies outside 0 to 255. A part that
// is no integer counts as 0.
QColor styleSheetColor(const QString &styleSheet);

} // namespace ledimage

#endif
