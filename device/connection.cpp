#include "app/mainwindow.h"

#include "ui_mainwindow.h"

#include <QTimer>

namespace {

bool isInputIndicator(const QString &name)
{
    return name.startsWith(QLatin1String("pbI")) || name.startsWith(QLatin1String("pbJ"))
           || name.startsWith(QLatin1String("pbSW"));
}

} // namespace

void MainWindow::showWaitingState()
{
    for (QWidget *child : ui->page1->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (isInputIndicator(child->objectName()))
            child->hide();
    }
    ui->lbHead->setText(tr("WAITING FOR DEVICE..."));
    ui->lbMain->setStyleSheet(QStringLiteral("border-image:"));
    for (QPushButton *button : {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4})
        button->setEnabled(false);
    QTimer::singleShot(0, ui->pbS5, &QPushButton::click);
    ui->pbStatus->show();
    for (QWidget *widget : {static_cast<QWidget *>(ui->lbEnc), static_cast<QWidget *>(ui->hsTrigger),
                            static_cast<QWidget *>(ui->lbTrigger), static_cast<QWidget *>(ui->pbSaveEnc),
                            static_cast<QWidget *>(ui->pbCalL), static_cast<QWidget *>(ui->pgAdcR),
                            static_cast<QWidget *>(ui->pbCalR), static_cast<QWidget *>(ui->pgAdcL)})
        widget->hide();
    ui->lbVersion->hide();
}

void MainWindow::onInit()
{
}
