#include "wireless/batteryline.h"

#include <QCoreApplication>

namespace wireless {

QString batteryLine(const protocol::BatteryState &state)
{
    const QString prefix = QCoreApplication::translate("MainWindow", "BATTERY STATUS: ");
    if (state.onUsb)
        return prefix + QCoreApplication::translate("MainWindow", "USB");
    return prefix + QString::number(state.charge) + QLatin1Char('%');
}

} // namespace wireless
