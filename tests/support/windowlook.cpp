#include "windowlook.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>

namespace windowlook {
namespace {

template <typename T>
T *find(QWidget &window, const char *name)
{
    return window.findChild<T *>(QLatin1String(name));
}

bool sidebarEnabled(QWidget &window, bool enabled)
{
    for (const char *name : {"pbS1", "pbS3", "pbS4"}) {
        if (find<QPushButton>(window, name)->isEnabled() != enabled)
            return false;
    }
    return true;
}

} // namespace

bool isWaiting(QWidget &window)
{
    return find<QLabel>(window, "lbHead")->text() == QLatin1String("WAITING FOR DEVICE...")
           && sidebarEnabled(window, false) && !find<QPushButton>(window, "pbS2")->isEnabled()
           && !find<QPushButton>(window, "pbStatus")->isHidden()
           && find<QStackedWidget>(window, "stackedWidget")->currentIndex() == 4;
}

bool isConnected(QWidget &window)
{
    return find<QLabel>(window, "lbHead")->text().startsWith(QLatin1String("NOLK CONTROLS "))
           && sidebarEnabled(window, true) && find<QPushButton>(window, "pbStatus")->isHidden()
           && find<QStackedWidget>(window, "stackedWidget")->currentIndex() == 0;
}

QString describe(QWidget &window)
{
    return QStringLiteral("heading '%1', sidebar %2, lamp %3, page %4")
        .arg(find<QLabel>(window, "lbHead")->text())
        .arg(find<QPushButton>(window, "pbS1")->isEnabled() ? "enabled" : "disabled")
        .arg(find<QPushButton>(window, "pbStatus")->isHidden() ? "off" : "on")
        .arg(find<QStackedWidget>(window, "stackedWidget")->currentIndex());
}

} // namespace windowlook
