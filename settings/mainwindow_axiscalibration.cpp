#include "app/mainwindow.h"

#include "settings/calibrationstore.h"
#include "ui_mainwindow.h"

void MainWindow::onCalibrateL(bool checked)
{
    calibrateAxis(calibrationstore::AxisL, checked);
}

void MainWindow::onCalibrateR(bool checked)
{
    calibrateAxis(calibrationstore::AxisR, checked);
}

void MainWindow::calibrateAxis(int axis, bool checked)
{
    const bool left = axis == calibrationstore::AxisL;
    QProgressBar *bar = left ? ui->pgAdcL : ui->pgAdcR;
    QPushButton *button = left ? ui->pbCalL : ui->pbCalR;
    quint32 &minimum = left ? adcMinL : adcMinR;
    quint32 &maximum = left ? adcMaxL : adcMaxR;
    if (checked) {
        bar->setRange(static_cast<int>(calibrationstore::Uncalibrated.minimum),
                      static_cast<int>(calibrationstore::Uncalibrated.maximum));
        button->setText(tr("SAVE"));
        // Every input report from now on lowers the minimum and raises the
        // maximum, so both start beyond the other end.
        minimum = calibrationstore::Uncalibrated.maximum;
        maximum = calibrationstore::Uncalibrated.minimum;
        return;
    }
    bar->setRange(static_cast<int>(minimum), static_cast<int>(maximum));
    button->setText(tr("CALIBRATE"));
    writeAxisCalibration(axis);
}

// Nothing tells the user when the store cannot keep the value: the new range
// is in use all the same and reaches the wheel with the next stored paddle
// report.
void MainWindow::writeAxisCalibration(int axis)
{
    const bool left = axis == calibrationstore::AxisL;
    calibrationstore::save(productId, axis,
                           left ? calibrationstore::AxisRange{adcMinL, adcMaxL}
                                : calibrationstore::AxisRange{adcMinR, adcMaxR});
}

void MainWindow::readAxisCalibration(int axis)
{
    const calibrationstore::AxisRange range = calibrationstore::load(productId, axis);
    if (axis == calibrationstore::AxisR) {
        adcMinR = range.minimum;
        adcMaxR = range.maximum;
    } else {
        adcMinL = range.minimum;
        adcMaxL = range.maximum;
    }
}
