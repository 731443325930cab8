#include "wheelshape.h"

#include "wheelcontrols.h"

#include <QPainterPathStroker>
#include <QPolygonF>
#include <QTransform>

#include <initializer_list>

namespace {

QPainterPath mirrored(const QPainterPath &path)
{
    return QTransform(-1, 0, 0, 1, wheelPictureWidth, 0).map(path);
}

// Both halves of a symmetric part, drawn from its left half.
QPainterPath withMirror(const QPainterPath &leftHalf)
{
    return leftHalf.united(mirrored(leftHalf));
}

std::vector<QPointF> withMirror(std::initializer_list<QPointF> leftHalf)
{
    std::vector<QPointF> points(leftHalf);
    for (const QPointF point : leftHalf)
        points.emplace_back(wheelPictureWidth - point.x(), point.y());
    return points;
}

QPainterPath roundedRect(qreal x, qreal y, qreal width, qreal height, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(x, y, width, height, radius, radius);
    return path;
}

QPainterPath ellipse(QPointF centre, qreal radiusX, qreal radiusY)
{
    QPainterPath path;
    path.addEllipse(centre, radiusX, radiusY);
    return path;
}

QPainterPath capsule(QPointF from, QPointF to, qreal width)
{
    QPainterPath line(from);
    line.lineTo(to);
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    return stroker.createStroke(line).simplified();
}

// A polygon with its corners rounded off by 'radius', grown outwards by it.
QPainterPath roundedPolygon(std::initializer_list<QPointF> corners, qreal radius)
{
    QPainterPath polygon;
    polygon.addPolygon(QPolygonF(corners));
    polygon.closeSubpath();
    QPainterPathStroker stroker;
    stroker.setWidth(2 * radius);
    stroker.setJoinStyle(Qt::RoundJoin);
    return polygon.united(stroker.createStroke(polygon)).simplified();
}

// Formula style: straight top bar, upright grips, closed bottom bar.
WheelShape ralka()
{
    WheelShape shape;
    shape.grips = withMirror(roundedRect(30, 80, 144, 616, 72));
    shape.plate =
        roundedRect(60, 20, 1160, 166, 64)
            .united(roundedPolygon({{262, 130}, {1018, 130}, {1002, 580}, {278, 580}}, 22))
            .united(roundedRect(136, 572, 1008, 126, 58));
    shape.openings = withMirror(roundedRect(164, 188, 94, 384, 40));
    shape.panels = roundedRect(450, 34, 380, 118, 20);
    shape.screws = withMirror({{96, 50}, {210, 670}, {600, 164}});
    shape.badge = QPointF(640, 430);
    shape.nameplate = QPointF(640, 650);
    return shape;
}

// Wing style: a swept top with a display, slanted grips and a narrow chin.
WheelShape demta()
{
    WheelShape shape;
    shape.grips = withMirror(capsule({94, 176}, {120, 606}, 126));
    shape.plate = roundedPolygon({{430, 30},
                                  {140, 46},
                                  {46, 102},
                                  {62, 160},
                                  {170, 198},
                                  {190, 560},
                                  {300, 640},
                                  {340, 686},
                                  {940, 686},
                                  {980, 640},
                                  {1090, 560},
                                  {1110, 198},
                                  {1218, 160},
                                  {1234, 102},
                                  {1140, 46},
                                  {850, 30}},
                                 20);
    shape.openings =
        withMirror(roundedPolygon({{182, 222}, {230, 230}, {236, 520}, {194, 540}}, 20));
    shape.panels = roundedRect(452, 110, 376, 158, 16);
    shape.screws = withMirror({{150, 70}, {340, 660}, {470, 300}});
    shape.badge = QPointF(640, 490);
    shape.nameplate = QPointF(640, 640);
    return shape;
}

// Round GT style: a full oval rim behind a wide top bar and a shield.
WheelShape sovin()
{
    WheelShape shape;
    const QPointF hub(640, 392);
    shape.grips = ellipse(hub, 634, 326).subtracted(ellipse(hub, 562, 256));
    shape.plate =
        roundedRect(64, 14, 1152, 200, 94)
            .united(roundedPolygon(
                {{262, 196}, {1018, 196}, {990, 540}, {820, 618}, {460, 618}, {290, 540}}, 24))
            .united(roundedPolygon({{560, 600}, {720, 600}, {700, 700}, {580, 700}}, 10));
    shape.panels = roundedRect(450, 30, 380, 120, 20);
    shape.screws = withMirror({{300, 186}, {330, 520}, {590, 680}});
    shape.badge = QPointF(640, 440);
    shape.nameplate = QPointF(640, 592);
    return shape;
}

} // namespace

WheelShape wheelShape(const QString &modelName)
{
    if (modelName == QLatin1String("RALKA"))
        return ralka();
    if (modelName == QLatin1String("DEMTA"))
        return demta();
    if (modelName == QLatin1String("SOVIN"))
        return sovin();
    qFatal("no wheel shape for model %s", qPrintable(modelName));
}
