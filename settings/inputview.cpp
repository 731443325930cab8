#include "app/mainwindow.h"

void MainWindow::onJoystickEvent(QByteArray)
{
}

void MainWindow::onEncoderBind()
{
}
