#include "app/mainwindow.h"

#include "app/dialogs.h"
#include "device/hidlink.h"
#include "device/protocol.h"
#include "ui_mainwindow.h"

void MainWindow::onSavePageE()
{
    HidLink &link = HidLink::instance();
    if (!link.isOpen())
        return;
    const int value = ui->hsTrigger->value();
    const int lastStored = ui->hsTrigger->statusTip().toInt(nullptr, 10);
    if (const auto report = protocol::pulseWidthSave(value, lastStored)) {
        // The value counts as stored only once the wheel took it, so that the
        // next save tries again.
        if (link.sendFeature(*report) < 0) {
            dialogs::critical(this, tr("Error"), tr("Can not save setting."));
            return;
        }
        ui->hsTrigger->setStatusTip(QString::number(value));
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
