#include "app/mainwindow.h"

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
}
