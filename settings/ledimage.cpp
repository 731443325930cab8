#include "settings/ledimage.h"

#include <QStringList>

#include <algorithm>

namespace ledimage {

namespace {

constexpr std::array<const char *, ButtonSlotCount> SlotButtons{
    "pbB1",  "pbB9",  "pbB2",  "pbB10", "pbB3",  "pbB11", "pbB4",  "pbB12", "pbB5",
    "pbB13", "pbB6",  "pbB14", "pbD13", "pbD23", "pbD13", "pbD23", "pbD13", "pbD23",
    "pbD16", "pbD26", "pbD16", "pbD26", "pbD16", "pbD26", "pbD3",  "pbD4",  "pbT1",
    "pbT2",  "pbT3",  "pbT4",  "pbT5",  "pbT6",  "pbT7",  "pbT8",  "pbT9",  "pbT10",
    "pbT11", "pbTL3", "pbTR3", "pbTL2", "pbTR2", "pbTL1", "pbTR1"};

constexpr std::size_t WhiteCorrectedSlots = 12;

const QColor CorrectedWhite(128, 255, 192);

bool isWhite(const QColor &color)
{
    return color.isValid() && color.red() == 255 && color.green() == 255 && color.blue() == 255;
}

bool looksLikeInteger(const QString &text)
{
    QStringView digits(text);
    if (digits.startsWith(QLatin1Char('+')) || digits.startsWith(QLatin1Char('-')))
        digits = digits.mid(1);
    return !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

// A part that is no integer counts as 0; a number too large for an int is
// out of range like any other value above 255.
int channelValue(const QString &part)
{
    const QString text = part.trimmed();
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (ok)
        return value;
    return looksLikeInteger(text) ? -1 : 0;
}

} // namespace

QString slotButton(std::size_t slot)
{
    if (slot >= ButtonSlotCount)
        return QString();
    return QString::fromLatin1(SlotButtons[slot]);
}

bool slotWhiteCorrected(std::size_t slot)
{
    return slot < WhiteCorrectedSlots;
}

QColor sentColor(const QColor &color, bool correctWhite)
{
    if (correctWhite && isWhite(color))
        return CorrectedWhite;
    return color;
}

QColor paintedColor(const QColor &color)
{
    if (color.isValid() && color.rgba() == qRgb(86, 255, 173))
        return QColor(255, 255, 255);
    return color;
}

std::uint8_t channelNibble(std::uint8_t value)
{
    const auto shown = std::find(DisplayTable.begin(), DisplayTable.end(), value);
    if (shown != DisplayTable.end())
        return static_cast<std::uint8_t>(shown - DisplayTable.begin());
    return static_cast<std::uint8_t>(value >> 4);
}

Image pack(const Channels &channels)
{
    Image image{};
    for (std::size_t k = 0; k < ImageSize; ++k)
        image[k] = static_cast<std::uint8_t>(channelNibble(channels[2 * k]) |
                                             channelNibble(channels[2 * k + 1]) << 4);
    return image;
}

Image packColors(const SlotColors &colors)
{
    Channels channels;
    channels.fill(0xFF);
    for (std::size_t slot = 0; slot < ButtonSlotCount; ++slot) {
        const QColor &color = colors[slot];
        const bool valid = color.isValid();
        channels[3 * slot] = static_cast<std::uint8_t>(valid ? color.red() : 0);
        channels[3 * slot + 1] = static_cast<std::uint8_t>(valid ? color.green() : 0);
        channels[3 * slot + 2] = static_cast<std::uint8_t>(valid ? color.blue() : 0);
    }
    return pack(channels);
}

Channels unpack(const Image &image)
{
    Channels channels{};
    for (std::size_t k = 0; k < ImageSize; ++k) {
        channels[2 * k] = DisplayTable[image[k] & 0x0F];
        channels[2 * k + 1] = DisplayTable[image[k] >> 4];
    }
    return channels;
}

QColor slotColor(const Channels &channels, std::size_t slot)
{
    if (slot >= SlotCount)
        return QColor();
    return QColor(channels[3 * slot], channels[3 * slot + 1], channels[3 * slot + 2]);
}

protocol::LedBlock imageBlock(const Image &image, std::size_t block)
{
    protocol::LedBlock bytes{};
    if (block < protocol::LedBlockCount) {
        const auto begin =
            image.begin() + static_cast<std::ptrdiff_t>(block * protocol::LedBlockSize);
        std::copy(begin, begin + protocol::LedBlockSize, bytes.begin());
    }
    return bytes;
}

void setImageBlock(Image &image, std::size_t block, const protocol::LedBlock &bytes)
{
    if (block >= protocol::LedBlockCount)
        return;
    std::copy(bytes.begin(), bytes.end(),
              image.begin() + static_cast<std::ptrdiff_t>(block * protocol::LedBlockSize));
}

std::array<protocol::Report, protocol::LedBlockCount> outputReports(const Image &image)
{
    std::array<protocol::Report, protocol::LedBlockCount> reports{};
    for (std::size_t i = 0; i < protocol::LedBlockCount; ++i) {
        const std::uint8_t block = protocol::LedBlockOrder[i];
        reports[i] = protocol::ledOutput(block, imageBlock(image, block));
    }
    return reports;
}

// The value removed runs from "rgb" to its ";". Without a ";" right behind the
// closing ")" only the rgb(...) itself goes, so that a missing ";" cannot take
// the following rules with it; with neither, the rest of the text goes.
QString styleSheetWithColor(const QString &styleSheet, const QColor &color)
{
    QString sheet = styleSheet;
    const qsizetype start = sheet.indexOf(QLatin1String("rgb"));
    if (start >= 0) {
        const qsizetype semicolon = sheet.indexOf(QLatin1Char(';'), start);
        const qsizetype close = sheet.indexOf(QLatin1Char(')'), start);
        qsizetype end = sheet.size();
        if (close >= 0 && (semicolon < 0 || close < semicolon)) {
            end = close + 1;
            qsizetype next = end;
            while (next < sheet.size() && sheet.at(next).isSpace())
                ++next;
            if (next < sheet.size() && sheet.at(next) == QLatin1Char(';'))
                end = next + 1;
        } else if (semicolon >= 0) {
            end = semicolon + 1;
        }
        sheet.remove(start, end - start);
    }

    const QString value =
        QString::asprintf("rgb(%d,%d,%d);", color.red(), color.green(), color.blue());
    const QLatin1String property("color:");
    const qsizetype colorAt = sheet.indexOf(property);
    if (colorAt >= 0) {
        sheet.insert(colorAt + property.size(), value);
        return sheet;
    }

    // No colour property at all: add one, inside the first rule if there is one.
    const QString declaration = QLatin1String("background-color:") + value;
    const qsizetype brace = sheet.indexOf(QLatin1Char('{'));
    if (brace >= 0) {
        sheet.insert(brace + 1, declaration);
        return sheet;
    }
    const QString trimmed = sheet.trimmed();
    if (!trimmed.isEmpty() && !trimmed.endsWith(QLatin1Char(';')))
        sheet += QLatin1Char(';');
    return sheet + declaration;
}

QColor styleSheetColor(const QString &styleSheet)
{
    const QLatin1String opening("rgb(");
    const qsizetype start = styleSheet.indexOf(opening);
    if (start < 0)
        return QColor();
    const qsizetype first = start + opening.size();
    const qsizetype close = styleSheet.indexOf(QLatin1Char(')'), first);
    if (close < 0)
        return QColor();
    const QStringList parts = styleSheet.mid(first, close - first).split(QLatin1Char(','));
    if (parts.size() < 3)
        return QColor();
    const int red = channelValue(parts.at(0));
    const int green = channelValue(parts.at(1));
    const int blue = channelValue(parts.at(2));
    for (const int value : {red, green, blue}) {
        if (value < 0 || value > 255)
            return QColor();
    }
    return QColor(red, green, blue);
}

} // namespace ledimage
