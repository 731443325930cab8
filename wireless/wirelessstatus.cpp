#include "app/mainwindow.h"

void MainWindow::onBatScan()
{
}

void MainWindow::onBTScan()
{
}

void MainWindow::onBTUpdate(QBluetoothDeviceInfo)
{
}

void MainWindow::onBTDone()
{
}
