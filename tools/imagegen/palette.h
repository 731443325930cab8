#ifndef NOLKSET_IMAGEGEN_PALETTE_H
#define NOLKSET_IMAGEGEN_PALETTE_H

#include <QColor>

// The colours of the drawn artwork.
//
// The wheel pictures keep one rule that the image test relies on: controls
// (buttons, encoders, switches, joysticks, paddles, shifters, LEDs) are drawn
// only in strongly coloured tones, while the background, the rims, grips,
// plates and their markings are drawn only in neutral greys. The chroma of a
// pixel (its largest channel minus its smallest) tells the two apart.
namespace palette {

inline const QColor background(26, 25, 25);
inline const QColor accent(17, 146, 207);
inline const QColor accentDark(9, 74, 105);

// Every pixel inside a control has at least this chroma.
constexpr int controlMinChroma = 60;
// No pixel of the wheel body or the background has more than this chroma.
constexpr int neutralMaxChroma = 12;

inline QColor grey(int level, int alpha = 255)
{
    return QColor(level, level, level, alpha);
}

} // namespace palette

#endif
