#include "app/mainwindow.h"

#include "settings/ledimage.h"

#include <QAbstractButton>

void MainWindow::onColorPick()
{
}

void MainWindow::onSaveColor()
{
}

void MainWindow::setLedButtonColor(QAbstractButton *button, QColor &color)
{
    color = ledimage::paintedColor(color);
    button->setStyleSheet(ledimage::styleSheetWithColor(button->styleSheet(), color));
}
