#include "app/mainwindow.h"

#include "settings/calibrationstore.h"

void MainWindow::onCalibrateL(bool)
{
}

void MainWindow::onCalibrateR(bool)
{
}

void MainWindow::readAxisCalibration(int axis)
{
    const auto value = calibrationstore::read(calibrationstore::keyPath(productId, axis));
    const calibrationstore::AxisRange range =
        value ? calibrationstore::decode(*value) : calibrationstore::AxisRange{0, 4096};
    if (axis == 2) {
        adcMinR = range.minimum;
        adcMaxR = range.maximum;
    } else {
        adcMinL = range.minimum;
        adcMaxL = range.maximum;
    }
}
