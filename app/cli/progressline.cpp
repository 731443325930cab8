#include "app/cli/progressline.h"

#include <algorithm>

namespace progressline {

namespace {
constexpr int BarWidth = 20;
constexpr int FirstWritingStep = 97;
} // namespace

QString format(int percent, qint64 bytes, qint64 total, qint64 elapsedNs)
{
    const int clamped = std::clamp(percent, 0, 100);
    const int filled = clamped * BarWidth / 100;
    const QString bar =
        QString(filled, QLatin1Char('#')) + QString(BarWidth - filled, QLatin1Char('-'));
    QString line =
        QStringLiteral("[%1] %2%  %3 of %4 bytes  ").arg(bar).arg(clamped, 3).arg(bytes).arg(total);
    if (percent >= FirstWritingStep)
        return line + QStringLiteral("writing");
    if (elapsedNs <= 0)
        return line + QStringLiteral("- kB/s");
    // Bytes per nanosecond times a million is kilobytes per second.
    const double rate = static_cast<double>(bytes) * 1e6 / static_cast<double>(elapsedNs);
    return line + QStringLiteral("%1 kB/s").arg(rate, 0, 'f', 1);
}

} // namespace progressline
