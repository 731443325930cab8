#include "settings/settingssnapshot.h"

#include "device/modelprofile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <cmath>
#include <map>

namespace settingssnapshot {

namespace {

const QString FormatKey = QStringLiteral("format");
const QString VersionKey = QStringLiteral("formatVersion");
const QString ModelKey = QStringLiteral("model");
const QString FirmwareKey = QStringLiteral("firmwareVersion");
const QString SideKey = QStringLiteral("clutchPaddle");
const QString BiteKey = QStringLiteral("bitePointPercent");
const QString ClutchKey = QStringLiteral("clutchEnabled");
const QString PulseKey = QStringLiteral("encoderPulseWidthMs");
const QString AxesKey = QStringLiteral("axisCalibration");
const QString LeftKey = QStringLiteral("left");
const QString RightKey = QStringLiteral("right");
const QString MinimumKey = QStringLiteral("minimum");
const QString MaximumKey = QStringLiteral("maximum");
const QString LedKey = QStringLiteral("ledImage");

const std::map<protocol::ClutchSide, QString> SideNames{
    {protocol::ClutchSide::Left, QStringLiteral("left")},
    {protocol::ClutchSide::Right, QStringLiteral("right")},
    {protocol::ClutchSide::None, QStringLiteral("none")},
};

// Thrown inside decode only, caught there: one refusal ends the reading.
struct Refusal
{
    QString reason;
};

[[noreturn]] void refuse(const QString &reason)
{
    throw Refusal{reason};
}

std::optional<qint64> wholeNumber(const QJsonValue &value, qint64 low, qint64 high)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::floor(number) != number || number < static_cast<double>(low) ||
        number > static_cast<double>(high))
        return std::nullopt;
    return static_cast<qint64>(number);
}

qint64 numberMember(const QJsonObject &object, const QString &key, qint64 low, qint64 high,
                    const QString &name)
{
    const auto number = wholeNumber(object.value(key), low, high);
    if (!number)
        refuse(
            QStringLiteral("%1 must be a whole number from %2 to %3").arg(name).arg(low).arg(high));
    return *number;
}

void onlyKnownMembers(const QJsonObject &object, const QStringList &known, const QString &where)
{
    for (const QString &key : object.keys()) {
        if (!known.contains(key))
            refuse(QStringLiteral("unknown member \"%1\"%2").arg(key, where));
    }
}

calibrationstore::AxisRange axisRange(const QJsonValue &value, const QString &side)
{
    const QString name = AxesKey + QLatin1Char('.') + side;
    if (!value.isObject())
        refuse(QStringLiteral("%1 must hold a minimum and a maximum").arg(name));
    const QJsonObject range = value.toObject();
    onlyKnownMembers(range, {MinimumKey, MaximumKey}, QStringLiteral(" in ") + name);
    return {static_cast<std::uint32_t>(numberMember(range, MinimumKey, 0, MaxAxisValue,
                                                    name + QStringLiteral(".minimum"))),
            static_cast<std::uint32_t>(numberMember(range, MaximumKey, 0, MaxAxisValue,
                                                    name + QStringLiteral(".maximum")))};
}

Document read(const QByteArray &json)
{
    QJsonParseError parsed{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parsed);
    if (parsed.error != QJsonParseError::NoError)
        refuse(QStringLiteral("not a NolkSet settings file: %1 at byte %2")
                   .arg(parsed.errorString())
                   .arg(parsed.offset));
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(FormatKey).toString() != FormatName)
        refuse(QStringLiteral("not a NolkSet settings file"));
    const QJsonValue version = root.value(VersionKey);
    if (wholeNumber(version, FormatVersion, FormatVersion) != FormatVersion)
        refuse(QStringLiteral("unknown format version %1; this NolkSet reads version %2")
                   .arg(version.isDouble() ? QString::number(version.toDouble())
                                           : QStringLiteral("(none)"))
                   .arg(FormatVersion));
    onlyKnownMembers(root,
                     {FormatKey, VersionKey, ModelKey, FirmwareKey, SideKey, BiteKey, ClutchKey,
                      PulseKey, AxesKey, LedKey},
                     QString());

    Document result;
    result.model = root.value(ModelKey).toString();
    if (result.model.isEmpty())
        refuse(QStringLiteral("the file names no model"));
    result.firmwareVersion = root.value(FirmwareKey).toString();
    if (root.contains(SideKey)) {
        const QString side = root.value(SideKey).toString();
        for (const auto &[value, name] : SideNames) {
            if (name == side)
                result.clutchSide = value;
        }
        if (!result.clutchSide)
            refuse(QStringLiteral("clutchPaddle must be \"left\", \"right\" or \"none\""));
    }
    if (root.contains(BiteKey))
        result.bitePoint =
            static_cast<int>(numberMember(root, BiteKey, 0, protocol::MaxBitePoint, BiteKey));
    if (root.contains(ClutchKey)) {
        if (!root.value(ClutchKey).isBool())
            refuse(QStringLiteral("clutchEnabled must be true or false"));
        result.clutchOn = root.value(ClutchKey).toBool();
    }
    if (root.contains(PulseKey))
        result.pulseWidth = static_cast<std::int32_t>(
            numberMember(root, PulseKey, MinPulseWidth, MaxPulseWidth, PulseKey));
    if (root.contains(AxesKey)) {
        if (!root.value(AxesKey).isObject())
            refuse(QStringLiteral("axisCalibration must hold \"left\" and or \"right\""));
        const QJsonObject axes = root.value(AxesKey).toObject();
        onlyKnownMembers(axes, {LeftKey, RightKey}, QStringLiteral(" in axisCalibration"));
        if (axes.contains(LeftKey))
            result.axisL = axisRange(axes.value(LeftKey), LeftKey);
        if (axes.contains(RightKey))
            result.axisR = axisRange(axes.value(RightKey), RightKey);
    }
    if (root.contains(LedKey)) {
        const QString hex = root.value(LedKey).toString();
        const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
        const bool isHex = hex.size() == 2 * static_cast<qsizetype>(ledimage::ImageSize) &&
                           bytes.size() == static_cast<qsizetype>(ledimage::ImageSize) &&
                           bytes.toHex().compare(hex.toLatin1(), Qt::CaseInsensitive) == 0;
        if (!isHex)
            refuse(QStringLiteral("ledImage must be %1 hex digits (%2 bytes)")
                       .arg(2 * ledimage::ImageSize)
                       .arg(ledimage::ImageSize));
        ledimage::Image image{};
        std::copy(bytes.begin(), bytes.end(), image.begin());
        result.leds = image;
    }
    return result;
}

QJsonObject rangeObject(const calibrationstore::AxisRange &range)
{
    return {{MinimumKey, static_cast<qint64>(range.minimum)},
            {MaximumKey, static_cast<qint64>(range.maximum)}};
}

} // namespace

bool Document::namesPaddleReport() const
{
    return clutchSide || bitePoint || axisL || axisR;
}

QString modelOf(const QString &deviceName)
{
    for (const modelprofile::Profile &profile : modelprofile::profiles()) {
        if (profile.matches(deviceName))
            return profile.modelName;
    }
    return deviceName;
}

QString versionText(const QString &answered)
{
    return answered.startsWith(QLatin1Char('\t')) ? answered.mid(1) : answered;
}

QByteArray encode(const Settings &settings)
{
    const protocol::PaddleMode mode = protocol::decodePaddleMode(settings.paddleMode);
    QJsonObject root{
        {FormatKey, FormatName},
        {VersionKey, FormatVersion},
        {ModelKey, settings.model},
        {FirmwareKey, settings.firmwareVersion},
        {SideKey, SideNames.at(mode.side)},
        {BiteKey, mode.bitePoint},
        {ClutchKey, settings.clutchOn},
        {AxesKey, QJsonObject{{LeftKey, rangeObject(settings.axisL)},
                              {RightKey, rangeObject(settings.axisR)}}},
        {LedKey,
         QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(settings.leds.data()),
                                        static_cast<qsizetype>(settings.leds.size()))
                                 .toHex())},
    };
    if (settings.pulseWidth >= MinPulseWidth && settings.pulseWidth <= MaxPulseWidth)
        root.insert(PulseKey, settings.pulseWidth);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Decoded decode(const QByteArray &json)
{
    try {
        return {read(json), QString()};
    } catch (const Refusal &refusal) {
        return {std::nullopt, refusal.reason};
    }
}

Settings apply(Settings current, const Document &document)
{
    if (document.clutchSide || document.bitePoint) {
        protocol::PaddleMode mode = protocol::decodePaddleMode(current.paddleMode);
        mode.side = document.clutchSide.value_or(mode.side);
        mode.bitePoint = document.bitePoint.value_or(mode.bitePoint);
        current.paddleMode = protocol::encodePaddleMode(mode);
    }
    current.pulseWidth = document.pulseWidth.value_or(current.pulseWidth);
    current.clutchOn = document.clutchOn.value_or(current.clutchOn);
    current.axisL = document.axisL.value_or(current.axisL);
    current.axisR = document.axisR.value_or(current.axisR);
    current.leds = document.leds.value_or(current.leds);
    return current;
}

QStringList differences(const Settings &wanted, const Settings &found)
{
    const auto sameRange = [](const calibrationstore::AxisRange &a,
                              const calibrationstore::AxisRange &b) {
        return a.minimum == b.minimum && a.maximum == b.maximum;
    };
    QStringList names;
    if (wanted.paddleMode != found.paddleMode)
        names << SideKey + QLatin1Char('/') + BiteKey;
    if (wanted.clutchOn != found.clutchOn)
        names << ClutchKey;
    if (wanted.pulseWidth != found.pulseWidth)
        names << PulseKey;
    if (!sameRange(wanted.axisL, found.axisL))
        names << AxesKey + QStringLiteral(".left");
    if (!sameRange(wanted.axisR, found.axisR))
        names << AxesKey + QStringLiteral(".right");
    if (wanted.leds != found.leds)
        names << LedKey;
    return names;
}

} // namespace settingssnapshot
