#ifndef NOLKSET_IMAGEGEN_WHEELCONTROLS_H
#define NOLKSET_IMAGEGEN_WHEELCONTROLS_H

#include <QPointF>
#include <QRect>
#include <QString>

#include <vector>

class QWidget;
namespace modelprofile {
struct Profile;
}
namespace modellayout {
struct Layout;
}

enum class ControlKind {
    Button,
    Encoder,
    Joystick,
    RotarySwitch,
    ClutchPaddle,
    ExtraShifter,
    Led,
};

// One physical control of a wheel, in model picture pixels.
struct WheelControl
{
    ControlKind kind;
    QString name; // the indicator family it carries, e.g. "pbIB3", "pbID1", "pbJsL"
    QPointF centre;
};

// Size of the model pictures; the pages show them scaled into lbMain and
// lbMainRGB, whose top-left corner is at (61, 9) and size 640 x 365.
constexpr int wheelPictureWidth = 1280;
constexpr int wheelPictureHeight = 720;

// Picture pixel under the centre of a widget with the given page geometry.
QPointF pictureCentre(const QRect &pageGeometry);

// Radius in picture pixels inside which a control is drawn solid.
qreal controlRadius(ControlKind kind);

// The controls a model's picture must show: one under every indicator the
// model can light on the INPUTS page and under every LED button of its LED
// page, at the positions the profile gives (or the form's where the profile
// leaves a widget in place).
std::vector<WheelControl> wheelControls(const modelprofile::Profile &profile,
                                        const modellayout::Layout &layout,
                                        const QWidget &inputsPage, const QWidget &ledPage);

#endif
