#include "app/permissionhint.h"

#include "app/dialogs.h"
#include "device/hidlink.h"
#include "device/listedwheel.h"
#include "device/protocol.h"

#include <QCoreApplication>
#include <QDebug>
#include <QTimer>
#include <QWidget>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

QString hintText(const QString &path)
{
    QString text = tr("A Nolk wheel was found at %1, but it could not be opened.").arg(path);
#ifdef Q_OS_LINUX
    text += QLatin1String("\n\n") +
            tr("This user may not have access to the wheel, or another program holds it. "
               "To give the user at the computer access, copy the rule 70-nolkset.rules "
               "that comes with NolkSet into /etc/udev/rules.d, reload the rules with "
               "\"sudo udevadm control --reload-rules\", then unplug the wheel and plug "
               "it in again. Close any other program that uses the wheel.");
#else
    text += QLatin1String("\n\n") +
            tr("Another program may hold the wheel: close it, or unplug the wheel and "
               "plug it in again.");
#endif
    text += QLatin1String("\n\n") + tr("NolkSet keeps looking for the wheel.");
    return text;
}

} // namespace

void PermissionHint::check(QWidget *window)
{
    if (shown)
        return;
    const std::optional<listedwheel::Wheel> wheel = listedwheel::first();
    const std::uint64_t generation = HidLink::instance().generation();
    const bool again =
        wheel && seenBefore && wheel->path == lastPath && generation == lastGeneration;
    seenBefore = wheel.has_value();
    lastPath = wheel ? wheel->path : QString();
    lastGeneration = generation;
    if (!again)
        return;

    shown = true;
    qDebug().noquote() << QStringLiteral("wheel %1:%2 listed at %3 but could not be opened")
                              .arg(protocol::VendorId, 4, 16, QLatin1Char('0'))
                              .arg(wheel->productId, 4, 16, QLatin1Char('0'))
                              .arg(wheel->path);
    // Shown from the event loop, so the search that found the wheel never
    // waits on the box and the retries go on while it is open.
    const QString text = hintText(wheel->path);
    QTimer::singleShot(0, window, [window, text] { dialogs::critical(window, tr("Error"), text); });
}
