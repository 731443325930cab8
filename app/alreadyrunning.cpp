#include "app/alreadyrunning.h"

#include "app/dialogs.h"

#include <QCoreApplication>

namespace alreadyrunning {

void tell()
{
    dialogs::information(nullptr, QCoreApplication::translate("MainWindow", "Notify"),
                         QCoreApplication::translate("MainWindow", "NolkSet is already running."));
}

} // namespace alreadyrunning
