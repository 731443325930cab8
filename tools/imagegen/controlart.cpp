#include "controlart.h"

#include "palette.h"

#include <QLineF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

const QColor anodisedBlue(14, 60, 104);
const QColor anodisedBlueLight(40, 116, 180);
const QColor anodisedBlueDeep(8, 44, 78);

// Left and right buttons of one row share a colour; 14 stands in the fifth
// row on the right of the INPUTS page, 13 in the sixth.
QColor buttonColour(const QString &name)
{
    static const std::map<int, QColor> colours = {
        {1, QColor(214, 38, 44)},   {9, QColor(214, 38, 44)},  {2, QColor(240, 166, 20)},
        {10, QColor(240, 166, 20)}, {3, palette::accent},      {11, palette::accent},
        {4, QColor(46, 186, 88)},   {12, QColor(46, 186, 88)}, {5, QColor(168, 62, 210)},
        {14, QColor(168, 62, 210)}, {6, QColor(244, 116, 28)}, {13, QColor(244, 116, 28)},
    };
    const auto found = colours.find(name.mid(4).toInt());
    return found == colours.end() ? palette::accent : found->second;
}

QColor ledColour(const QString &name)
{
    static const QRegularExpression stripLed(QStringLiteral("^pbT(\\d+)$"));
    const QRegularExpressionMatch match = stripLed.match(name);
    if (match.hasMatch()) {
        const int number = match.captured(1).toInt();
        if (number <= 4)
            return QColor(40, 226, 90);
        if (number <= 8)
            return QColor(244, 44, 44);
        return QColor(50, 140, 255);
    }
    if (name.startsWith(QLatin1String("pbTL")))
        return QColor(255, 170, 0);
    if (name.startsWith(QLatin1String("pbTR")))
        return QColor(50, 140, 255);
    return QColor(255, 255, 0);
}

QRadialGradient domeGradient(QPointF centre, qreal radius, const QColor &colour)
{
    QRadialGradient gradient(centre, radius, centre - QPointF(radius * 0.35, radius * 0.45));
    gradient.setColorAt(0, colour.lighter(140));
    gradient.setColorAt(0.6, colour);
    gradient.setColorAt(1, colour.darker(160));
    return gradient;
}

QPointF polar(QPointF centre, qreal radius, qreal degrees)
{
    const qreal radians = degrees * M_PI / 180;
    return centre + QPointF(std::cos(radians) * radius, std::sin(radians) * radius);
}

void disc(QPainter &painter, QPointF centre, qreal radius, const QBrush &brush)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(brush);
    painter.drawEllipse(centre, radius, radius);
}

void drawButton(QPainter &painter, QPointF centre, const QColor &colour)
{
    disc(painter, centre, 30, colour.darker(210));
    painter.setPen(QPen(colour.darker(150), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 27, 27);
    disc(painter, centre, 23, domeGradient(centre, 23, colour));
    painter.setPen(QPen(colour.lighter(150), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(centre - QPointF(19, 19), QSizeF(38, 38)), 100 * 16, 70 * 16);
}

void drawEncoder(QPainter &painter, QPointF centre)
{
    disc(painter, centre, 31, anodisedBlueDeep);
    // Knurled skirt.
    painter.setPen(QPen(anodisedBlueLight, 3.2, Qt::SolidLine, Qt::RoundCap));
    for (int tooth = 0; tooth < 30; ++tooth) {
        const qreal angle = tooth * 12.0;
        painter.drawLine(polar(centre, 25.5, angle), polar(centre, 29, angle));
    }
    disc(painter, centre, 23, anodisedBlue);
    QRadialGradient cap(centre, 21, centre - QPointF(7, 9));
    cap.setColorAt(0, QColor(80, 170, 232));
    cap.setColorAt(0.55, QColor(22, 104, 172));
    cap.setColorAt(1, QColor(10, 62, 108));
    disc(painter, centre, 21, cap);
    painter.setPen(QPen(QColor(150, 226, 255), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(polar(centre, 9, -60), polar(centre, 17, -60));
}

void drawJoystick(QPainter &painter, QPointF centre)
{
    QRadialGradient base(centre, 36);
    base.setColorAt(0, anodisedBlue);
    base.setColorAt(1, anodisedBlueDeep);
    disc(painter, centre, 36, base);
    painter.setPen(Qt::NoPen);
    painter.setBrush(anodisedBlueLight);
    for (int direction = 0; direction < 4; ++direction) {
        const qreal angle = direction * 90.0;
        painter.drawPolygon(QPolygonF({polar(centre, 33, angle), polar(centre, 26, angle - 9),
                                       polar(centre, 26, angle + 9)}));
    }
    disc(painter, centre, 21, domeGradient(centre, 21, palette::accent));
    painter.setPen(QPen(palette::accent.lighter(135), 1.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 14, 14);
    disc(painter, centre, 6, palette::accentDark);
}

void drawRotarySwitch(QPainter &painter, QPointF centre)
{
    // Detent marks on the plate around the knob.
    painter.setPen(QPen(palette::grey(150), 2.4, Qt::SolidLine, Qt::RoundCap));
    for (int step = 0; step < 9; ++step) {
        const qreal angle = 135 + step * 33.75;
        painter.drawLine(polar(centre, 34, angle), polar(centre, 40, angle));
    }
    const QColor red(196, 32, 40);
    disc(painter, centre, 29, red.darker(170));
    painter.setPen(QPen(red.darker(240), 2.4));
    for (int ridge = 0; ridge < 16; ++ridge)
        painter.drawLine(polar(centre, 25, ridge * 22.5), polar(centre, 28.5, ridge * 22.5));
    disc(painter, centre, 22, domeGradient(centre, 22, red));
    painter.setPen(QPen(QColor(255, 150, 150), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(polar(centre, 8, -90), polar(centre, 18, -90));
}

// A long paddle blade behind the wheel, seen through the hand opening.
void drawClutchPaddle(QPainter &painter, QPointF centre)
{
    const QRectF blade(centre.x() - 34, centre.y() - 100, 68, 330);
    QLinearGradient gradient(blade.topLeft(), blade.topRight());
    gradient.setColorAt(0, palette::accentDark);
    gradient.setColorAt(0.45, palette::accent);
    gradient.setColorAt(1, palette::accentDark);
    painter.setPen(QPen(palette::accent.lighter(130), 2));
    painter.setBrush(gradient);
    painter.drawRoundedRect(blade, 32, 32);
    // Lightening slots, clear of the indicator's spot.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(6, 44, 74));
    for (const qreal offset : {-60.0, 70.0, 150.0})
        painter.drawRoundedRect(QRectF(centre.x() - 9, centre.y() + offset - 18, 18, 36), 9, 9);
}

// Extra shifter paddles stick out above the top corners of the wheel.
void drawExtraShifter(QPainter &painter, QPointF centre)
{
    const qreal inward = centre.x() < wheelPictureWidth / 2 ? 1 : -1;
    const QPointF tip = centre + QPointF(inward * 8, 7);
    const QPointF root = centre + QPointF(inward * 130, 120);
    QPainterPath line(tip);
    line.lineTo(root);
    QPainterPathStroker stroker;
    stroker.setWidth(70);
    stroker.setCapStyle(Qt::RoundCap);
    const QPainterPath blade = stroker.createStroke(line);
    const QColor orange(236, 112, 22);
    QLinearGradient gradient(tip, root);
    gradient.setColorAt(0, orange.lighter(120));
    gradient.setColorAt(1, orange.darker(170));
    painter.setPen(QPen(orange.lighter(140), 2));
    painter.setBrush(gradient);
    painter.drawPath(blade);
    painter.setPen(QPen(orange.darker(200), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(tip + (root - tip) * 0.3, root);
}

void drawLed(QPainter &painter, QPointF centre, const QColor &colour)
{
    disc(painter, centre, 11, domeGradient(centre, 11, colour));
}

} // namespace

void drawControl(QPainter &painter, const WheelControl &control)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    switch (control.kind) {
    case ControlKind::Button:
        drawButton(painter, control.centre, buttonColour(control.name));
        break;
    case ControlKind::Encoder:
        drawEncoder(painter, control.centre);
        break;
    case ControlKind::Joystick:
        drawJoystick(painter, control.centre);
        break;
    case ControlKind::RotarySwitch:
        drawRotarySwitch(painter, control.centre);
        break;
    case ControlKind::ClutchPaddle:
        drawClutchPaddle(painter, control.centre);
        break;
    case ControlKind::ExtraShifter:
        drawExtraShifter(painter, control.centre);
        break;
    case ControlKind::Led:
        drawLed(painter, control.centre, ledColour(control.name));
        break;
    }
    painter.restore();
}

void drawLedHousings(QPainter &painter, const std::vector<WheelControl> &controls)
{
    // LEDs of one strip or cluster share a housing.
    static const QRegularExpression group(QStringLiteral("^(pbT(?=\\d)|pbTL|pbTR|.*)"));
    std::map<QString, std::vector<QPointF>> groups;
    for (const WheelControl &control : controls) {
        if (control.kind == ControlKind::Led)
            groups[group.match(control.name).captured(1)].push_back(control.centre);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (auto &[name, centres] : groups) {
        std::sort(centres.begin(), centres.end(),
                  [](QPointF a, QPointF b) { return a.x() < b.x(); });
        painter.setPen(QPen(palette::grey(74), 38, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centres.front(), centres.back());
        painter.setPen(QPen(palette::grey(12), 34, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centres.front(), centres.back());
        painter.setPen(QPen(palette::grey(6), 26, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centres.front(), centres.back());
    }
    painter.restore();
}
