#include "settings/settingsrestore.h"

#include "settings/calibrationstore.h"
#include "settings/storedsettings.h"

namespace settingsrestore {

namespace {

// Returns what the wheel or the calibration store did not take.
QString store(int productId, const settingssnapshot::Document &document,
              const settingssnapshot::Settings &current, const settingssnapshot::Settings &wanted)
{
    // This computer's calibration goes with the wheel's stored paddle report:
    // the window sends it with every later paddle save.
    if (document.axisL && !calibrationstore::save(productId, calibrationstore::AxisL, wanted.axisL))
        return QStringLiteral("the left axis calibration");
    if (document.axisR && !calibrationstore::save(productId, calibrationstore::AxisR, wanted.axisR))
        return QStringLiteral("the right axis calibration");
    // The wheel's own copy of the axis ranges cannot be read, so the report
    // goes out whenever the document names any part of it.
    if (document.namesPaddleReport() &&
        !storedsettings::storePaddleMode(wanted.paddleMode,
                                         storedsettings::axisRanges(wanted.axisL, wanted.axisR)))
        return QStringLiteral("the paddle mode");
    if (document.pulseWidth &&
        storedsettings::savePulseWidth(wanted.pulseWidth, current.pulseWidth) ==
            storedsettings::Save::Failed)
        return QStringLiteral("the encoder pulse width");
    if (document.clutchOn && !storedsettings::storeClutch(wanted.clutchOn))
        return QStringLiteral("the clutch state");
    if (document.leds && wanted.leds != current.leds && !storedsettings::sendLeds(wanted.leds, true))
        return QStringLiteral("the LED colours");
    return QString();
}

} // namespace

Result restore(int productId, const settingssnapshot::Document &document,
               const settingssnapshot::Settings &current)
{
    Result result{Outcome::Restored, QString(), QStringList(),
                  settingssnapshot::apply(current, document)};
    result.failed = store(productId, document, current, result.wanted);
    if (!result.failed.isEmpty()) {
        result.outcome = Outcome::NotStored;
        return result;
    }
    const storedsettings::Reading readBack = storedsettings::readAll(productId);
    if (!readBack.settings) {
        result.outcome = Outcome::NotReadBack;
        result.failed = readBack.failed;
        return result;
    }
    result.differing = settingssnapshot::differences(result.wanted, *readBack.settings);
    if (!result.differing.isEmpty())
        result.outcome = Outcome::Mismatch;
    return result;
}

} // namespace settingsrestore
