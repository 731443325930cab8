#include "app/mainwindow.h"

void MainWindow::onCalibrateL(bool)
{
}

void MainWindow::onCalibrateR(bool)
{
}
