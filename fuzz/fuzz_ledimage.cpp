// The LED image as the wheel answers it, block by block, on its way to the
// buttons of the RGB page and back into the reports that send it.

#include "fuzzcheck.h"
#include "settings/ledimage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace ledimage;

namespace {

const QString ButtonSheet =
    QStringLiteral("QPushButton{border-radius:6px;background-color:rgb(255,255,255);}");

// Reads the blocks through the answer decoder, in the order the connection
// asks for them.
Image readImage(const std::uint8_t *bytes)
{
    Image image{};
    for (std::size_t block = 0; block < protocol::LedBlockCount; ++block) {
        protocol::Report answer{protocol::FeatureReportId, static_cast<std::uint8_t>(block)};
        std::copy_n(bytes + block * protocol::LedBlockSize, protocol::LedBlockSize,
                    answer.begin() + 2);
        setImageBlock(image, block, protocol::ledBlockAnswer(answer));
    }
    return image;
}

void checkReports(const Image &image)
{
    const auto reports = outputReports(image);
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const std::uint8_t block = protocol::LedBlockOrder[i];
        FUZZ_CHECK(reports[i][0] == protocol::OutputReportId && reports[i][1] == block);
        const protocol::LedBlock bytes = imageBlock(image, block);
        FUZZ_CHECK(std::equal(bytes.begin(), bytes.end(), reports[i].begin() + 2));
    }
}

} // namespace

// The first 72 bytes are the image (missing ones zero); the next says whether
// the white correction is on.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::uint8_t bytes[ImageSize] = {};
    std::copy_n(data, std::min(size, ImageSize), bytes);
    const bool correctWhite = size > ImageSize && (data[ImageSize] & 1) != 0;

    const Image image = readImage(bytes);
    FUZZ_CHECK(std::equal(image.begin(), image.end(), bytes));
    const Channels channels = unpack(image);
    FUZZ_CHECK(pack(channels) == image);
    checkReports(image);

    // Painted on the buttons, read back from their style sheets and sent: each
    // slot's channels come back as they were read, except that white and a
    // corrected white are painted white and go out as the correction where
    // it applies, as white elsewhere.
    SlotColors colors;
    for (std::size_t slot = 0; slot < ButtonSlotCount; ++slot) {
        const QColor read = slotColor(channels, slot);
        FUZZ_CHECK(read.isValid());
        const QColor painted = paintedColor(read);
        const QColor shown = styleSheetColor(styleSheetWithColor(ButtonSheet, painted));
        FUZZ_CHECK(shown == painted);
        colors[slot] = sentColor(shown, correctWhite && slotWhiteCorrected(slot));
    }
    const QColor white(255, 255, 255);
    const Channels sent = unpack(packColors(colors));
    for (std::size_t slot = 0; slot < SlotCount; ++slot) {
        const QColor before = slotColor(channels, slot);
        QColor expected = before;
        if (slot >= ButtonSlotCount)
            expected = white;
        else if (paintedColor(before) == white)
            expected = correctWhite && slotWhiteCorrected(slot) ? QColor(86, 255, 173) : white;
        FUZZ_CHECK(slotColor(sent, slot) == expected);
    }
    return 0;
}
