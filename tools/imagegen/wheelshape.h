#ifndef NOLKSET_IMAGEGEN_WHEELSHAPE_H
#define NOLKSET_IMAGEGEN_WHEELSHAPE_H

#include <QPainterPath>
#include <QPointF>
#include <QString>

#include <vector>

// The outline of one model's wheel in picture pixels; the controls come on top.
struct WheelShape
{
    QPainterPath grips;    // rubber
    QPainterPath plate;    // carbon
    QPainterPath openings; // hand openings, cut through grips and plate
    QPainterPath panels;   // recessed panels: under the pulse width slider, a display
    std::vector<QPointF> screws;
    QPointF badge;     // centre of the maker's badge
    QPointF nameplate; // centre of the model name
};

// The shape drawn for the given model name; a model without one is a fault
// of this tool and stops it.
WheelShape wheelShape(const QString &modelName);

#endif
