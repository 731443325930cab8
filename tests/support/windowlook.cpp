#include "windowlook.h"

#include "findwidget.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>

namespace windowlook {
namespace {

bool sidebarEnabled(QWidget &window, bool enabled)
{
    for (const char *name : {"pbS1", "pbS3", "pbS4"}) {
        if (child<QPushButton>(window, name)->isEnabled() != enabled)
            return false;
    }
    return true;
}

} // namespace

bool isWaiting(QWidget &window)
{
    return child<QLabel>(window, "lbHead")->text() == QLatin1String("WAITING FOR DEVICE...") &&
           sidebarEnabled(window, false) && !child<QPushButton>(window, "pbS2")->isEnabled() &&
           !child<QPushButton>(window, "pbStatus")->isHidden() &&
           child<QStackedWidget>(window, "stackedWidget")->currentIndex() == 4;
}

bool isConnected(QWidget &window)
{
    return child<QLabel>(window, "lbHead")->text().startsWith(QLatin1String("NOLK CONTROLS ")) &&
           sidebarEnabled(window, true) && child<QPushButton>(window, "pbStatus")->isHidden() &&
           child<QStackedWidget>(window, "stackedWidget")->currentIndex() == 0;
}

QString buttonColor(QWidget &window, const QString &name)
{
    const QString style = child<QPushButton>(window, qPrintable(name))->styleSheet();
    const qsizetype start = style.indexOf(QLatin1String("rgb("));
    return style.mid(start, style.indexOf(QLatin1Char(')'), start) - start + 1);
}

QString describe(QWidget &window)
{
    return QStringLiteral("heading '%1', sidebar %2, lamp %3, page %4")
        .arg(child<QLabel>(window, "lbHead")->text())
        .arg(child<QPushButton>(window, "pbS1")->isEnabled() ? "enabled" : "disabled")
        .arg(child<QPushButton>(window, "pbStatus")->isHidden() ? "off" : "on")
        .arg(child<QStackedWidget>(window, "stackedWidget")->currentIndex());
}

} // namespace windowlook
