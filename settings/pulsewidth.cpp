#include "app/mainwindow.h"

void MainWindow::onSavePageE()
{
}

void MainWindow::onTriggerChanged(int)
{
}

void MainWindow::onTriggerUpdate()
{
}
