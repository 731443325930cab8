#ifndef NOLKSET_SETTINGSSNAPSHOT_H
#define NOLKSET_SETTINGSSNAPSHOT_H

#include "device/protocol.h"
#include "settings/calibrationstore.h"
#include "settings/ledimage.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The settings a wheel keeps, with the axis calibration this computer keeps
// for it, and the JSON document a backup holds them in. No I/O happens here.
namespace settingssnapshot {

constexpr int FormatVersion = 1;
// The value of the document's "format" member.
inline const QString FormatName = QStringLiteral("NolkSet wheel settings");

// What the pulse width slider can set; a backup leaves other answers out, so
// every document it writes can be restored.
constexpr std::int32_t MinPulseWidth = 40;
constexpr std::int32_t MaxPulseWidth = 240;
// The stored paddle report carries each axis value in 16 bits.
constexpr std::uint32_t MaxAxisValue = 0xFFFF;

// Everything read from one wheel and this computer's calibration store.
struct Settings
{
    QString model;
    QString firmwareVersion;
    std::uint8_t paddleMode = 0xFF;
    std::int32_t pulseWidth = 0;
    bool clutchOn = false;
    calibrationstore::AxisRange axisL = calibrationstore::Uncalibrated;
    calibrationstore::AxisRange axisR = calibrationstore::Uncalibrated;
    ledimage::Image leds{};
};

// A document as read: every setting it does not name is left empty and keeps
// the wheel's current value.
struct Document
{
    QString model;
    QString firmwareVersion;
    std::optional<protocol::ClutchSide> clutchSide;
    std::optional<int> bitePoint;
    std::optional<std::int32_t> pulseWidth;
    std::optional<bool> clutchOn;
    std::optional<calibrationstore::AxisRange> axisL;
    std::optional<calibrationstore::AxisRange> axisR;
    std::optional<ledimage::Image> leds;

    // The paddle mode and the axis ranges travel in one stored report.
    bool namesPaddleReport() const;
};

struct Decoded
{
    std::optional<Document> document;
    // One line saying why the document was refused.
    QString error;
};

// The model a wheel's name stands for: the model profile it matches, or the
// name itself when it matches none.
QString modelOf(const QString &deviceName);
// The version text without the echoed item code (a TAB) in front.
QString versionText(const QString &answered);

QByteArray encode(const Settings &settings);
Decoded decode(const QByteArray &json);

// The settings to store: the current ones with what the document names.
Settings apply(Settings current, const Document &document);
// The settings that differ between what should be stored and what was read
// back, by their document names; the model and version are not compared.
QStringList differences(const Settings &wanted, const Settings &found);

} // namespace settingssnapshot

#endif
