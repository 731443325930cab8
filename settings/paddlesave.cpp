#include "settings/paddlesave.h"

namespace paddlesave {

int paddleModeValue(bool left, bool right, int bitePoint)
{
    if (left)
        return protocol::encodePaddleMode({protocol::ClutchSide::Left, bitePoint});
    if (right)
        return protocol::encodePaddleMode({protocol::ClutchSide::Right, bitePoint});
    return -1;
}

int storedPaddleMode(const QString &text)
{
    return text.toInt();
}

std::optional<protocol::Report> paddleWrite(std::uint8_t mode, int storedMode,
                                            const protocol::AxisRanges &ranges,
                                            const std::optional<protocol::AxisRanges> &given)
{
    if (mode == storedMode && given == ranges)
        return std::nullopt;
    return protocol::storedPaddleMode(mode, ranges);
}

std::optional<protocol::Report> clutchWrite(protocol::Report answer, bool clutchOn)
{
    if (protocol::clutchAnswer(answer) == clutchOn)
        return std::nullopt;
    protocol::makeStoredClutch(answer, clutchOn);
    return answer;
}

} // namespace paddlesave
