#include "app/mainwindow.h"

void MainWindow::onAutoUpgrade()
{
}

void MainWindow::onUpgradeReady()
{
}

void MainWindow::onNetUpgrade()
{
}

void MainWindow::onNetProgress(qint64, qint64)
{
}

void MainWindow::onNetUpgradeReady()
{
}
