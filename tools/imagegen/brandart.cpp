#include "brandart.h"

#include "palette.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

namespace {

QImage transparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Slanted stripes, each fainter than the one before: the racing look of the header.
void drawSpeedStripes(QPainter &painter, QPointF origin, qreal height, int count, qreal direction)
{
    for (int i = 0; i < count; ++i) {
        const qreal x = origin.x() + direction * i * height * 0.42;
        const qreal width = height * (0.22 - 0.03 * i);
        QPolygonF stripe;
        stripe << QPointF(x, origin.y() + height) << QPointF(x + height * 0.5, origin.y())
               << QPointF(x + height * 0.5 + width, origin.y())
               << QPointF(x + width, origin.y() + height);
        QColor colour = i == 0 ? palette::accent : palette::accentDark;
        colour.setAlpha(230 - 45 * i);
        painter.setBrush(colour);
        painter.drawPolygon(stripe);
    }
}

} // namespace

QImage drawHeadStrip()
{
    QImage image(2000, 131, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    QLinearGradient body(0, 0, 0, 131);
    body.setColorAt(0, palette::grey(40));
    body.setColorAt(0.85, palette::grey(24));
    body.setColorAt(1, palette::grey(18));
    painter.fillRect(image.rect(), body);

    // A faint diagonal weave, as on a carbon part.
    painter.setPen(QPen(palette::grey(255, 7), 2));
    for (int x = -131; x < 2000; x += 9)
        painter.drawLine(QPointF(x, 131), QPointF(x + 131, 0));
    painter.setPen(Qt::NoPen);

    drawSpeedStripes(painter, QPointF(60, 22), 78, 4, 1);
    drawSpeedStripes(painter, QPointF(1600, 22), 78, 4, -1);

    QLinearGradient rule(0, 0, 2000, 0);
    QColor faded = palette::accent;
    faded.setAlpha(0);
    rule.setColorAt(0, faded);
    rule.setColorAt(0.2, palette::accent);
    rule.setColorAt(0.8, palette::accent);
    rule.setColorAt(1, faded);
    painter.fillRect(QRectF(0, 118, 2000, 5), rule);
    return image;
}

QImage drawLogoMark(int size)
{
    QImage image = transparentImage(size, size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 100.0, size / 100.0);

    // A wheel rim around a slanted N.
    QLinearGradient rim(10, 10, 90, 90);
    rim.setColorAt(0, palette::accent.lighter(125));
    rim.setColorAt(0.55, palette::accent);
    rim.setColorAt(1, palette::accentDark);
    painter.setPen(Qt::NoPen);
    painter.setBrush(rim);
    painter.drawEllipse(QPointF(50, 50), 48, 48);

    QRadialGradient face(QPointF(40, 32), 70);
    face.setColorAt(0, palette::grey(58));
    face.setColorAt(1, palette::grey(18));
    painter.setBrush(face);
    painter.drawEllipse(QPointF(50, 50), 39, 39);

    const QPolygonF letter({{28, 70},
                            {35, 30},
                            {46, 30},
                            {58.5, 54},
                            {63, 30},
                            {73, 30},
                            {66, 70},
                            {55, 70},
                            {43, 46},
                            {39, 70}});
    painter.setBrush(Qt::white);
    painter.drawPolygon(letter);

    // The spoke under the letter, in the accent colour.
    painter.setBrush(palette::accent);
    painter.drawPolygon(QPolygonF({{31, 77}, {72, 77}, {71, 82}, {30, 82}}));
    return image;
}

QImage drawCloseButton(bool hovered)
{
    QImage image = transparentImage(32, 32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (hovered) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette::accent);
        painter.drawEllipse(QPointF(16, 16), 15, 15);
    }
    painter.setPen(
        QPen(hovered ? QColor(Qt::white) : palette::grey(175), 3.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10, 10), QPointF(22, 22));
    painter.drawLine(QPointF(22, 10), QPointF(10, 22));
    return image;
}

QImage drawMinimiseButton()
{
    QImage image = transparentImage(32, 32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette::grey(175), 3.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10, 17), QPointF(22, 17));
    return image;
}

QImage drawAboutArtwork()
{
    QImage image = transparentImage(800, 250);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    painter.drawImage(QPointF(30, 35), drawLogoMark(180));

    QFont word(QStringLiteral("DejaVu Sans"));
    word.setPixelSize(112);
    word.setBold(true);
    word.setItalic(true);
    word.setLetterSpacing(QFont::AbsoluteSpacing, -3);
    painter.setFont(word);
    const QString first = QStringLiteral("Nolk");
    const QString second = QStringLiteral("Set");
    const qreal baseline = 142;
    painter.setPen(Qt::white);
    painter.drawText(QPointF(240, baseline), first);
    const qreal firstWidth = painter.fontMetrics().horizontalAdvance(first);
    painter.setPen(palette::accent);
    painter.drawText(QPointF(240 + firstWidth, baseline), second);

    painter.setPen(Qt::NoPen);
    QLinearGradient rule(260, 0, 770, 0);
    rule.setColorAt(0, palette::accent);
    QColor faded = palette::accent;
    faded.setAlpha(0);
    rule.setColorAt(1, faded);
    painter.fillRect(QRectF(262, 168, 508, 3), rule);

    QFont maker(QStringLiteral("DejaVu Sans"));
    maker.setPixelSize(30);
    maker.setBold(true);
    maker.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    painter.setFont(maker);
    painter.setPen(palette::grey(190));
    painter.drawText(QPointF(246, 214), QStringLiteral("Nolk Controls"));
    return image;
}
