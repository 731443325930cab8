#ifndef NOLKSET_PADDLESAVE_H
#define NOLKSET_PADDLESAVE_H

#include "device/protocol.h"

#include <QString>

#include <optional>

// What saving the PADDLES page sends, decided from the page's values, the
// paddle mode last stored on the wheel and the wheel's clutch answer.
namespace paddlesave {

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

} // namespace paddlesave

#endif
