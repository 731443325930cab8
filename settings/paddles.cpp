#include "app/mainwindow.h"

#include "app/settingsstore.h"
#include "ui_mainwindow.h"

void MainWindow::onSavePageP()
{
}

void MainWindow::onPaddleChanged(int)
{
}

void MainWindow::onPaddleUpdate()
{
}

void MainWindow::onBearLCalibrate()
{
}

void MainWindow::onBearRCalibrate()
{
}

void MainWindow::onBearExLCalibrate()
{
}

void MainWindow::onBearExRCalibrate()
{
}

void MainWindow::onClutchStatus()
{
}

void MainWindow::onShifterStatus()
{
    SettingsStore store;
    store.setValue(QStringLiteral("EXTRA_SHIFTER"), ui->cbShifter->isChecked());
    store.sync();
    updateShifterGroup();
}
