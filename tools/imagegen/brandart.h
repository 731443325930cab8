#ifndef NOLKSET_IMAGEGEN_BRANDART_H
#define NOLKSET_IMAGEGEN_BRANDART_H

#include <QImage>

// The window's own artwork: header strip, logo, window buttons, about picture.
QImage drawHeadStrip();
QImage drawLogoMark(int size);
QImage drawCloseButton(bool hovered);
QImage drawMinimiseButton();
QImage drawAboutArtwork();

#endif
