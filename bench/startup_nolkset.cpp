// The tool's own main on one idle emulated RALKA, ready once the connected
// INPUTS page shows with every connection read done.

#include "app/mainwindow.h"
#include "bench/readyprobe.h"
#include "emulator/wheelemulator.h"

#include <QApplication>
#include <QLabel>
#include <QStackedWidget>

namespace {

const auto wheel = [] {
    emu::setLogEnabled(false);
    return emu::plug(emu::Model::Ralka, 0x2007);
}();

bool connected()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (!qobject_cast<MainWindow *>(top) || !top->isVisible())
            continue;
        const auto *head = top->findChild<QLabel *>(QStringLiteral("lbHead"));
        const auto *pages = top->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
        return head->text().startsWith(QLatin1String("NOLK CONTROLS ")) &&
               pages->currentIndex() == 0;
    }
    return false;
}

void probe()
{
    readyprobe::install(connected);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(probe)
