#include "wireless/batteryline.h"

#include <QCoreApplication>

namespace batteryline {

QString text(const protocol::BatteryState &state)
{
    const QString prefix = QCoreApplication::translate("MainWindow", "BATTERY STATUS: ");
    if (state.onUsb)
        return prefix + QCoreApplication::translate("MainWindow", "USB");
    return prefix + QString::number(state.charge) + QLatin1Char('%');
}

} // namespace batteryline
