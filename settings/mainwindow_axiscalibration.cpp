#include "app/mainwindow.h"

#include "app/dialogs.h"
#include "settings/calibrationstore.h"
#include "settings/settingskeys.h"
#include "settings/settingsstore.h"
#include "settings/storedsettings.h"
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
    calibrationstore::AxisRange &before = left ? rangeBeforeL : rangeBeforeR;
    if (checked) {
        before = {minimum, maximum};
        bar->setRange(static_cast<int>(calibrationstore::Uncalibrated.minimum),
                      static_cast<int>(calibrationstore::Uncalibrated.maximum));
        button->setText(tr("SAVE"));
        // Every input report from now on lowers the minimum and raises the
        // maximum, so both start beyond the other end.
        minimum = calibrationstore::Uncalibrated.maximum;
        maximum = calibrationstore::Uncalibrated.minimum;
        return;
    }
    button->setText(tr("CALIBRATE"));
    // A calibration without movement (a double click, a paddle never
    // pressed) would replace a good one with an empty range.
    const bool moved = maximum > minimum;
    if (!moved) {
        minimum = before.minimum;
        maximum = before.maximum;
    }
    bar->setRange(static_cast<int>(minimum), static_cast<int>(maximum));
    if (!moved) {
        dialogs::information(
            this, tr("Notify"),
            tr("No paddle movement was recorded. The previous calibration is kept."));
        return;
    }
    writeAxisCalibration(axis);
    givenRanges.reset();
    setCalibrationGiven(axis, false);
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

void MainWindow::loadAxisCalibration()
{
    readAxisCalibration(calibrationstore::AxisL);
    ui->pgAdcL->setRange(static_cast<int>(adcMinL), static_cast<int>(adcMaxL));
    readAxisCalibration(calibrationstore::AxisR);
    ui->pgAdcR->setRange(static_cast<int>(adcMinR), static_cast<int>(adcMaxR));
}

protocol::AxisRanges MainWindow::axisRanges() const
{
    const auto range = [](const QPushButton *button, quint32 minimum, quint32 maximum,
                          const calibrationstore::AxisRange &before) {
        return button->isChecked() && maximum <= minimum
                   ? before
                   : calibrationstore::AxisRange{minimum, maximum};
    };
    return storedsettings::axisRanges(range(ui->pbCalL, adcMinL, adcMaxL, rangeBeforeL),
                                      range(ui->pbCalR, adcMinR, adcMaxR, rangeBeforeR));
}

bool MainWindow::calibrationGiven(int axis) const
{
    return SettingsStore().value(settingskeys::calibrationGiven(productId, axis), true).toBool();
}

void MainWindow::setCalibrationGiven(int axis, bool given)
{
    SettingsStore store;
    store.setValue(settingskeys::calibrationGiven(productId, axis), given);
    store.sync();
}
