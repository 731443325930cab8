#include "wheelcontrols.h"

#include "app/modellayout.h"

#include <QLineF>
#include <QRegularExpression>
#include <QWidget>

#include <algorithm>

namespace {

constexpr QPoint pictureOrigin(61, 9);
constexpr QSize pictureShownSize(640, 365);

QRect placedGeometry(const QWidget &widget,
                     const std::vector<modellayout::WidgetPosition> &positions)
{
    QRect geometry = widget.geometry();
    const auto placed = std::find_if(positions.begin(), positions.end(),
                                     [&](const modellayout::WidgetPosition &position) {
                                         return position.objectName == widget.objectName();
                                     });
    if (placed != positions.end())
        geometry.moveTopLeft(QPoint(placed->x, placed->y));
    return geometry;
}

// The indicators of one control share a family name: both directions of an
// encoder, all seven of a joystick.
WheelControl controlOf(const QString &indicator)
{
    struct Pattern
    {
        QRegularExpression expression;
        ControlKind kind;
    };
    static const Pattern patterns[] = {
        {QRegularExpression(QStringLiteral("^(pbIBar[LR])$")), ControlKind::ClutchPaddle},
        {QRegularExpression(QStringLiteral("^(pbIEx[LR])$")), ControlKind::ExtraShifter},
        {QRegularExpression(QStringLiteral("^(pbIB\\d+)$")), ControlKind::Button},
        {QRegularExpression(QStringLiteral("^(pbID\\d)[LR]$")), ControlKind::Encoder},
        {QRegularExpression(QStringLiteral("^(pbJs[LR])")), ControlKind::Joystick},
        {QRegularExpression(QStringLiteral("^(pbSW[LR])$")), ControlKind::RotarySwitch},
    };
    for (const Pattern &pattern : patterns) {
        const QRegularExpressionMatch match = pattern.expression.match(indicator);
        if (match.hasMatch())
            return {pattern.kind, match.captured(1), QPointF()};
    }
    qFatal("no control drawn for indicator %s", qPrintable(indicator));
}

bool shownByModel(const QString &name, const modelprofile::Profile &profile)
{
    // pbISW1 and pbISW2 are never lit; the extra shifters only where the
    // model offers them.
    if (name == QLatin1String("pbISW1") || name == QLatin1String("pbISW2"))
        return false;
    if (name.startsWith(QLatin1String("pbIEx")))
        return profile.extraShifterOption;
    return name.startsWith(QLatin1String("pbI")) || name.startsWith(QLatin1String("pbJ")) ||
           name.startsWith(QLatin1String("pbSW"));
}

bool isLedButton(const QString &name, const modellayout::Layout &layout)
{
    if (name.startsWith(QLatin1String("pbT")))
        return layout.ledDots == modellayout::LedDotVisibility::Shown;
    return name.startsWith(QLatin1String("pbB")) || name.startsWith(QLatin1String("pbD"));
}

QList<QWidget *> childrenOf(const QWidget &page)
{
    return page.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

QPointF pictureCentre(const QRect &pageGeometry)
{
    const QPointF centre = QRectF(pageGeometry).center() - QPointF(pictureOrigin);
    return QPointF(centre.x() * wheelPictureWidth / pictureShownSize.width(),
                   centre.y() * wheelPictureHeight / pictureShownSize.height());
}

qreal controlRadius(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Button:
        return 30;
    case ControlKind::Encoder:
        return 31;
    case ControlKind::Joystick:
        return 36;
    case ControlKind::RotarySwitch:
        return 29;
    case ControlKind::ClutchPaddle:
    case ControlKind::ExtraShifter:
        return 34;
    case ControlKind::Led:
        return 11;
    }
    return 0;
}

std::vector<WheelControl> wheelControls(const modelprofile::Profile &profile,
                                        const modellayout::Layout &layout,
                                        const QWidget &inputsPage, const QWidget &ledPage)
{
    // A family's centre is the mean of its indicators' centres.
    struct Family
    {
        WheelControl control;
        QPointF total;
        int count;
    };
    std::vector<Family> families;
    const QList<QWidget *> indicators = childrenOf(inputsPage);
    for (const QWidget *widget : indicators) {
        if (!shownByModel(widget->objectName(), profile))
            continue;
        const QPointF centre = pictureCentre(placedGeometry(*widget, layout.inputPositions));
        const WheelControl control = controlOf(widget->objectName());
        auto family = std::find_if(families.begin(), families.end(), [&](const Family &known) {
            return known.control.name == control.name;
        });
        if (family == families.end())
            families.push_back({control, centre, 1});
        else {
            family->total += centre;
            ++family->count;
        }
    }

    std::vector<WheelControl> controls;
    for (const Family &family : families)
        controls.push_back({family.control.kind, family.control.name, family.total / family.count});

    // Most LED buttons light a control that is already there; the others get
    // an LED of their own.
    if (layout.ledPositions.empty())
        return controls;
    const std::size_t inputControls = controls.size();
    const QList<QWidget *> ledButtons = childrenOf(ledPage);
    for (const QWidget *widget : ledButtons) {
        if (!isLedButton(widget->objectName(), layout))
            continue;
        const QPointF centre = pictureCentre(placedGeometry(*widget, layout.ledPositions));
        const bool carried = std::any_of(
            controls.begin(), controls.begin() + static_cast<long>(inputControls),
            [&](const WheelControl &control) {
                return QLineF(control.centre, centre).length() < controlRadius(control.kind) - 6;
            });
        if (!carried)
            controls.push_back({ControlKind::Led, widget->objectName(), centre});
    }
    return controls;
}
