#include "app/mainwindow.h"

void MainWindow::onShowPath()
{
}

void MainWindow::onUpgrade()
{
}

void MainWindow::onProgress(int)
{
}

void MainWindow::onClearFlash()
{
}
