#include "app/mainwindow.h"

#include "device/delays.h"
#include "device/hidlink.h"
#include "device/protocol.h"
#include "settings/storedsettings.h"
#include "ui_mainwindow.h"
#include "wireless/batteryline.h"

#include <QBluetoothDeviceDiscoveryAgent>
#include <QTimer>

void MainWindow::setUpWirelessLoops()
{
    // One pause timer per loop. A loop started again while its pause is
    // pending (a wheel back within the pause, as after a firmware update)
    // restarts that pause instead of running a second loop beside the first.
    btPause = new QTimer(this);
    btPause->setObjectName(QStringLiteral("btPause"));
    btPause->setSingleShot(true);
    connect(btPause, &QTimer::timeout, this, &MainWindow::onBTScan);
    batteryPause = new QTimer(this);
    batteryPause->setObjectName(QStringLiteral("batteryPause"));
    batteryPause->setSingleShot(true);
    connect(batteryPause, &QTimer::timeout, this, &MainWindow::onBatScan);
}

void MainWindow::onBatScan()
{
    HidLink &link = HidLink::instance();
    // A pause still pending from a model with a battery must not query one
    // without it.
    if (!link.isOpen() || !hasBattery)
        return;
    // A failed query leaves the buffer holding the request, which would read
    // as a charge of 15 %, and a stale buffer holds another answer: the line
    // keeps its last reading instead.
    if (const auto answer = storedsettings::ask(protocol::query(protocol::item::Battery))) {
        const protocol::BatteryState state = protocol::batteryAnswer(*answer);
        ui->lbBatStatus->show();
        ui->lbBatStatus->setText(batteryline::text(state));
        ui->lbBTStatus->setVisible(!state.onUsb);
    }
    batteryPause->start(delays::ms(delays::BatteryPauseMs));
}

void MainWindow::onBTScan()
{
    if (!hasBluetooth)
        return;
    ui->lbBTStatus->show();
    // Without an adapter the agent reports an error and never finishes, so
    // the loop ends here. A start while a scan runs is ignored by the agent.
    if (!btAgent) {
        btAgent = new QBluetoothDeviceDiscoveryAgent(this);
        connect(btAgent, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this,
                &MainWindow::onBTUpdate);
        connect(btAgent, &QBluetoothDeviceDiscoveryAgent::finished, this, &MainWindow::onBTDone);
    }
    btAgent->start();
}

void MainWindow::onBTUpdate(QBluetoothDeviceInfo info)
{
    const qint16 rssi = info.rssi();
    if (rssi == 0 || !info.name().contains(QLatin1String("RALKA"), Qt::CaseSensitive))
        return;
    ui->lbBTStatus->setText(tr("BLUETOOTH CONNECTION STATUS: ") + QString::number(rssi));
}

void MainWindow::onBTDone()
{
    // Only the line's own hidden state ends the loop: a line on a page that
    // is not shown still counts as shown.
    if (!HidLink::instance().isOpen() || ui->lbBTStatus->isHidden())
        return;
    if (hasBluetooth)
        btPause->start(delays::ms(delays::BluetoothPauseMs));
    else
        ui->lbBTStatus->hide();
}
