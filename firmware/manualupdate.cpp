#include "app/mainwindow.h"

#include "ui_mainwindow.h"

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

void MainWindow::resetUpgrade()
{
    ui->pbAutoUpgrade->setEnabled(true);
    ui->pbAutoUpgrade->setText(tr("Check Update"));
    ui->pgUpgrade->setValue(0);
    // The checksum line keeps its text: an address typed in later is checked
    // against it.
    ui->lbCurMd5->hide();
    ui->lbCurVersion->clear();
    ui->pgUpgrade->hide();
    ui->lbUpgrade->hide();
}
