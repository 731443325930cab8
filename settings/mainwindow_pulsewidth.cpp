#include "app/mainwindow.h"

#include "app/dialogs.h"
#include "device/hidlink.h"
#include "device/protocol.h"
#include "settings/storedsettings.h"
#include "ui_mainwindow.h"

void MainWindow::onSavePageE()
{
    HidLink &link = HidLink::instance();
    if (!link.isOpen())
        return;
    const int value = ui->hsTrigger->value();
    const int lastStored = ui->hsTrigger->statusTip().toInt(nullptr, 10);
    switch (storedsettings::savePulseWidth(value, lastStored)) {
    case storedsettings::Save::Failed:
        // The value counts as stored only once the wheel took it, so that the
        // next save tries again.
        dialogs::critical(this, tr("Error"), tr("Can not save setting."));
        return;
    case storedsettings::Save::Stored:
        ui->hsTrigger->setStatusTip(QString::number(value));
        break;
    case storedsettings::Save::Unchanged:
        break;
    }
    dialogs::information(this, tr("Success"), tr("Setting saved."));
}

void MainWindow::onTriggerChanged(int value)
{
    ui->lbTrigger->setText(tr("%1ms").arg(value));
}

void MainWindow::onTriggerUpdate()
{
    HidLink &link = HidLink::instance();
    if (link.isOpen())
        link.sendFeature(protocol::pulseWidthWrite(ui->hsTrigger->value(), false));
}
