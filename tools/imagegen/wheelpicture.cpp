#include "wheelpicture.h"

#include "brandart.h"
#include "controlart.h"
#include "device/modelprofile.h"
#include "palette.h"
#include "wheelshape.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace {

bool sitsOnPlate(ControlKind kind)
{
    return kind == ControlKind::Button || kind == ControlKind::Encoder ||
           kind == ControlKind::Joystick || kind == ControlKind::RotarySwitch;
}

bool sitsBehind(ControlKind kind)
{
    return kind == ControlKind::ClutchPaddle || kind == ControlKind::ExtraShifter;
}

QImage carbonTile()
{
    QImage tile(16, 16, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&tile);
    for (int cell = 0; cell < 4; ++cell) {
        const QRectF square((cell % 2) * 8, (cell / 2) * 8, 8, 8);
        const bool across = (cell % 2) == (cell / 2);
        QLinearGradient weave(square.topLeft(), across ? square.topRight() : square.bottomLeft());
        weave.setColorAt(0, palette::grey(27));
        weave.setColorAt(0.5, palette::grey(45));
        weave.setColorAt(1, palette::grey(27));
        painter.fillRect(square, weave);
    }
    return tile;
}

// Top light and a darker lower edge over a part.
void shade(QPainter &painter, const QPainterPath &part, int light, int dark)
{
    const QRectF bounds = part.boundingRect();
    QLinearGradient gradient(bounds.topLeft(), bounds.bottomLeft());
    gradient.setColorAt(0, palette::grey(255, light));
    gradient.setColorAt(0.45, palette::grey(255, 0));
    gradient.setColorAt(1, palette::grey(0, dark));
    painter.fillPath(part, gradient);
}

void drawShadow(QPainter &painter, const QPainterPath &body)
{
    const QPainterPath dropped = body.translated(0, 10);
    for (int spread = 26; spread > 0; spread -= 6) {
        painter.setPen(
            QPen(palette::grey(0, 16), spread, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(palette::grey(0, 16));
        painter.drawPath(dropped);
    }
}

// Perforated leather.
void drawRubber(QPainter &painter, const QPainterPath &grips)
{
    painter.fillPath(grips, palette::grey(60));
    painter.save();
    painter.setClipPath(grips);
    const QRectF bounds = grips.boundingRect();
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette::grey(38));
    int row = 0;
    for (qreal y = bounds.top(); y < bounds.bottom(); y += 8, ++row) {
        for (qreal x = bounds.left() + (row % 2) * 4; x < bounds.right(); x += 8)
            painter.drawEllipse(QPointF(x, y), 1.5, 1.5);
    }
    painter.restore();
    shade(painter, grips, 40, 110);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette::grey(12), 3));
    painter.drawPath(grips);
    painter.setPen(QPen(palette::grey(110), 1.2));
    painter.drawPath(grips.translated(0, 1.5));
}

void drawCarbon(QPainter &painter, const QPainterPath &plate)
{
    painter.fillPath(plate, QBrush(carbonTile()));
    shade(painter, plate, 36, 90);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette::grey(10), 4));
    painter.drawPath(plate);
    painter.setPen(QPen(palette::grey(96), 1.6));
    painter.drawPath(plate);
}

void drawPanels(QPainter &painter, const QPainterPath &panels)
{
    const QRectF bounds = panels.boundingRect();
    QLinearGradient glass(bounds.topLeft(), bounds.bottomLeft());
    glass.setColorAt(0, palette::grey(24));
    glass.setColorAt(1, palette::grey(9));
    painter.fillPath(panels, glass);
    // A soft diagonal reflection across the glass.
    QLinearGradient reflection(bounds.topLeft(), bounds.bottomRight());
    reflection.setColorAt(0.25, palette::grey(255, 0));
    reflection.setColorAt(0.32, palette::grey(255, 10));
    reflection.setColorAt(0.45, palette::grey(255, 0));
    painter.fillPath(panels, reflection);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette::grey(4), 3));
    painter.drawPath(panels);
    painter.setPen(QPen(palette::grey(82), 1.4));
    painter.drawPath(panels.translated(0, 1.5));
}

void drawScrews(QPainter &painter, const std::vector<QPointF> &screws)
{
    for (const QPointF &screw : screws) {
        QRadialGradient head(screw, 7, screw - QPointF(2, 2));
        head.setColorAt(0, palette::grey(170));
        head.setColorAt(1, palette::grey(70));
        painter.setPen(QPen(palette::grey(12), 1.5));
        painter.setBrush(head);
        painter.drawEllipse(screw, 6.5, 6.5);
        painter.setPen(QPen(palette::grey(40), 1.8));
        painter.drawLine(screw + QPointF(-4, 2.5), screw + QPointF(4, -2.5));
    }
}

// The maker's mark in the plate's own greys, like an engraved badge.
void drawBadge(QPainter &painter, QPointF centre)
{
    QImage mark = drawLogoMark(84).convertToFormat(QImage::Format_Grayscale8);
    QImage alpha = drawLogoMark(84).convertToFormat(QImage::Format_Alpha8);
    QImage badge(84, 84, QImage::Format_ARGB32_Premultiplied);
    badge.fill(Qt::transparent);
    QPainter badgePainter(&badge);
    badgePainter.drawImage(0, 0, mark);
    badgePainter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    badgePainter.drawImage(0, 0, alpha);
    badgePainter.end();
    painter.setOpacity(0.8);
    painter.drawImage(centre - QPointF(42, 42), badge);
    painter.setOpacity(1);
}

void drawNameplate(QPainter &painter, QPointF centre, const QString &name)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(30);
    font.setBold(true);
    font.setItalic(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 8);
    painter.setFont(font);
    const QRectF box(centre - QPointF(150, 22), QSizeF(300, 44));
    painter.setPen(palette::grey(0, 160));
    painter.drawText(box.translated(0, 2), Qt::AlignCenter, name);
    painter.setPen(palette::grey(210));
    painter.drawText(box, Qt::AlignCenter, name);
}

} // namespace

QImage drawWheelPicture(const modelprofile::Profile &profile,
                        const std::vector<WheelControl> &controls)
{
    const WheelShape shape = wheelShape(profile.modelName);

    // Every control on the face sits on a pod of the plate, even near an edge.
    QPainterPath plate = shape.plate;
    for (const WheelControl &control : controls) {
        if (sitsOnPlate(control.kind)) {
            QPainterPath pod;
            pod.addEllipse(control.centre, controlRadius(control.kind) + 14,
                           controlRadius(control.kind) + 14);
            plate = plate.united(pod);
        }
    }
    plate = plate.subtracted(shape.openings);
    const QPainterPath grips = shape.grips.subtracted(shape.openings);

    QImage image(wheelPictureWidth, wheelPictureHeight, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    image.fill(palette::background);
    QRadialGradient glow(QPointF(640, 380), 700);
    glow.setColorAt(0, palette::grey(255, 12));
    glow.setColorAt(1, palette::grey(255, 0));
    painter.fillRect(image.rect(), glow);

    drawShadow(painter, grips.united(plate));
    for (const WheelControl &control : controls) {
        if (sitsBehind(control.kind))
            drawControl(painter, control);
    }
    drawRubber(painter, grips);
    drawCarbon(painter, plate);
    drawPanels(painter, shape.panels);
    drawScrews(painter, shape.screws);
    drawBadge(painter, shape.badge);
    drawNameplate(painter, shape.nameplate, profile.modelName);
    drawLedHousings(painter, controls);
    for (const WheelControl &control : controls) {
        if (!sitsBehind(control.kind))
            drawControl(painter, control);
    }
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}
