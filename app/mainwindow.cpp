#include "app/mainwindow.h"

#include "device/hidlink.h"
#include "settings/settingskeys.h"
#include "settings/settingsstore.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QDebug>
#include <QMouseEvent>
#include <QTimer>

#include <cmath>

namespace {
// The top strip of the frameless window by which it is dragged.
constexpr int DragStripHeight = 50;
}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , dragX(-1)
    , dragY(-1)
    , dragging(false)
    , adcMinL(4096)
    , adcMinR(4096)
    , adcMaxL(0)
    , adcMaxR(0)
    , productId(0)
    , encoderBindState(0)
    , encoder1(255)
    , encoder2(255)
    , adjustWhite(true)
    , hasBattery(false)
    , hasBluetooth(false)
    , connected(false)
{
    qDebug() << "version: v" NOLKSET_VERSION;
    ui->setupUi(this);
    ui->pbStatus->hide();

    connect(ui->pbClose, &QPushButton::clicked, this, &MainWindow::onClose);
    for (QPushButton *button : {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4, ui->pbS5})
        connect(button, &QPushButton::clicked, this, &MainWindow::onSidebar);
    for (QPushButton *button :
         {ui->pbB1,  ui->pbB2,  ui->pbB3,  ui->pbB4,  ui->pbB5,  ui->pbB6,  ui->pbD13,
          ui->pbD16, ui->pbD3,  ui->pbD4,  ui->pbB9,  ui->pbB10, ui->pbB11, ui->pbB12,
          ui->pbB13, ui->pbB14, ui->pbD23, ui->pbD26, ui->pbT1,  ui->pbT2,  ui->pbT3,
          ui->pbT4,  ui->pbT5,  ui->pbT6,  ui->pbT7,  ui->pbT8,  ui->pbT9,  ui->pbT10,
          ui->pbT11, ui->pbTL1, ui->pbTL2, ui->pbTL3, ui->pbTR1, ui->pbTR2, ui->pbTR3})
        connect(button, &QPushButton::clicked, this, &MainWindow::onColorPick);
    connect(ui->pbSave, &QPushButton::clicked, this, &MainWindow::onSaveColor);
    connect(ui->pbPath, &QPushButton::clicked, this, &MainWindow::onShowPath);
    connect(ui->pbUpgrade, &QPushButton::clicked, this, &MainWindow::onUpgrade);
    connect(ui->hsBite, &QSlider::valueChanged, this, &MainWindow::onPaddleChanged);
    connect(ui->hsBite, &QSlider::sliderReleased, this, &MainWindow::onPaddleUpdate);
    connect(ui->pbSaveP, &QPushButton::clicked, this, &MainWindow::onSavePageP);
    connect(ui->pbAutoUpgrade, &QPushButton::clicked, this, &MainWindow::onAutoUpgrade);
    connect(ui->pbClearFlash, &QPushButton::clicked, this, &MainWindow::onClearFlash);
    connect(&upgradeThread, &NolkUpgrade::progress, this, &MainWindow::onProgress);
    connect(&upgradeThread, &QThread::finished, this, &MainWindow::finishUpload);
    connect(&eventThread, &NolkEvent::eventTrigger, this, &MainWindow::onJoystickEvent);
    connect(ui->pbSaveEnc, &QPushButton::clicked, this, &MainWindow::onSavePageE);
    connect(ui->hsTrigger, &QSlider::valueChanged, this, &MainWindow::onTriggerChanged);
    connect(ui->hsTrigger, &QSlider::sliderReleased, this, &MainWindow::onTriggerUpdate);
    connect(ui->cbClutch, &QRadioButton::toggled, this, &MainWindow::onClutchStatus);
    connect(ui->cbShifter, &QRadioButton::toggled, this, &MainWindow::onShifterStatus);
    connect(ui->pbCalL, &QPushButton::toggled, this, &MainWindow::onCalibrateL);
    connect(ui->pbCalR, &QPushButton::toggled, this, &MainWindow::onCalibrateR);
    connect(ui->pbBearLCa, &QPushButton::clicked, this, &MainWindow::onBearLCalibrate);
    connect(ui->pbBearRCa, &QPushButton::clicked, this, &MainWindow::onBearRCalibrate);
    connect(ui->pbBearExLCa, &QPushButton::clicked, this, &MainWindow::onBearExLCalibrate);
    connect(ui->pbBearExRCa, &QPushButton::clicked, this, &MainWindow::onBearExRCalibrate);
    connect(ui->pbEncoder, &QPushButton::clicked, this, &MainWindow::onEncoderBind);

    ui->stackedWidget->setCurrentIndex(0);
    dragX = -1;
    dragY = -1;
    ui->lbUpgrade->hide();
    ui->pgUpgrade->hide();

    connect(&eventThread, &NolkEvent::deviceDisconnect, this, &MainWindow::onInit);
    retryTimer.setSingleShot(true);
    // A coarse timer may fire a retry early.
    retryTimer.setTimerType(Qt::PreciseTimer);
    connect(&retryTimer, &QTimer::timeout, this, &MainWindow::onInit);
    setUpWirelessLoops();
    setUpDeviceWatch();
    setUpProfileRow();

    showWaitingState();
    HidLink::init();
    QTimer::singleShot(0, this, &MainWindow::onInit);
    adjustWhite = SettingsStore().value(settingskeys::adjustWhite(), true).toBool();
}

MainWindow::~MainWindow()
{
    stopThreads();
    delete ui;
}

void MainWindow::stopThreads()
{
    // The upload is never cut short or destroyed while it runs.
    upgradeThread.wait();
    closeUpdateRecord();
    // The reader closes the wheel on its way out.
    eventThread.requestInterruption();
    eventThread.wait();
}

void MainWindow::onClose()
{
    if (keepOpenForUpload())
        return;
    onSavePageP();
    stopThreads();
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (keepOpenForUpload()) {
        event->ignore();
        return;
    }
    stopThreads();
    event->accept();
}

void MainWindow::onSidebar()
{
    QPushButton *const buttons[] = {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4, ui->pbS5};
    for (QPushButton *button : buttons)
        button->setChecked(false);

    const QObject *source = sender();
    const QString name = source ? source->objectName() : QString();
    const char digit = name.size() > 3 ? name.at(3).toLatin1() : '\0';
    if (digit < '1' || digit > '5')
        return;
    const int page = digit - '1';
    buttons[page]->setChecked(true);
    ui->stackedWidget->setCurrentIndex(page);
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (std::round(event->position().y()) < DragStripHeight) {
        dragX = event->globalPosition().x();
        dragY = event->globalPosition().y();
        dragging = true;
    }
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || !dragging)
        return;
    const QPointF global = event->globalPosition();
    const int dx = static_cast<int>(global.x() - dragX);
    const int dy = static_cast<int>(global.y() - dragY);
    dragX = global.x();
    dragY = global.y();
    move(x() + dx, y() + dy);
}

void MainWindow::mouseReleaseEvent(QMouseEvent *)
{
    dragX = -1;
    dragY = -1;
    dragging = false;
}
