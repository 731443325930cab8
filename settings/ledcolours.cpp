#include "app/mainwindow.h"

void MainWindow::onColorPick()
{
}

void MainWindow::onSaveColor()
{
}
