#ifndef NOLKSET_MAINWINDOW_H
#define NOLKSET_MAINWINDOW_H

#include "device/nolkevent.h"
#include "device/permissionhint.h"
#include "firmware/nolkupgrade.h"
#include "firmware/pendingupdate.h"

#include <QBluetoothDeviceInfo>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <optional>

class QBluetoothDeviceDiscoveryAgent;
class QNetworkAccessManager;

class QAbstractButton;
class QColor;
class QMouseEvent;
class QCloseEvent;
class QTimer;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    // A close from the window manager does not run onClose(); the threads
    // must still be stopped before the window's members go away.
    void closeEvent(QCloseEvent *event) override;

protected slots:
    void onClose();
    void onSidebar();
    void onColorPick();
    void onInit();
    void onShowPath();
    void onUpgrade();
    void onProgress(int value);
    void onJoystickEvent(QByteArray report);
    void onAutoUpgrade();
    void onUpgradeReady();
    void onClearFlash();
    void onBatScan();
    void onBTScan();
    void onBTUpdate(QBluetoothDeviceInfo info);
    void onBTDone();
    void onSavePageE();
    void onSaveColor();
    void onSavePageP();
    void onPaddleChanged(int value);
    void onPaddleUpdate();
    void onBearLCalibrate();
    void onBearRCalibrate();
    void onBearExLCalibrate();
    void onBearExRCalibrate();
    void onTriggerChanged(int value);
    void onTriggerUpdate();
    void onClutchStatus();
    void onShifterStatus();
    void onNetUpgrade();
    void onNetProgress(qint64 received, qint64 total);
    void onNetUpgradeReady();
    void onCalibrateL(bool checked);
    void onCalibrateR(bool checked);
    void onEncoderBind();

private:
    // Application shell
    void stopThreads();

    // Connection and model profiles
    void showWaitingState();
    // Stops the reader, closes the wheel and waits for the next search.
    void abandonConnection();
    void applyModelProfile(const QString &name);
    // Each read returns false when its transfer failed.
    bool readLedColors();
    bool readPaddleMode();
    bool readPulseWidth();
    bool readClutchState();
    bool readDeviceName();
    bool readFirmwareVersion();
    void updateShifterGroup();

    // Live input view and encoder binding
    void setEncoderBindState(int state);
    void captureEncoder();
    void saveEncoderBinding();
    void clearEncoderBinding();
    void loadEncoderBinding();
    // Input i's indicator at position i (null where it has none); found on the
    // first report.
    QList<QWidget *> indicators;

    // Paddles, clutch and shifters
    int paddleModeValue() const;

    // Paddle axis calibration
    void readAxisCalibration(int axis);
    void writeAxisCalibration(int axis);
    void calibrateAxis(int axis, bool checked);

    // LED colours
    void setLedButtonColor(QAbstractButton *button, QColor &color);
    QColor ledButtonColor(QAbstractButton *button, bool whiteCorrection) const;
    // True when the wheel took every report sent.
    bool sendLedColors(bool store);

    // Manual update and flash clearing
    void resetUpgrade();
    // Runs once the upload thread has ended, however it ended.
    void finishUpload();
    // Tells the user the window stays open while an upload runs: closing
    // would leave the wheel with half an image.
    bool keepOpenForUpload();

    // Settings backup and update log around an upload
    // Backs up the wheel's stored settings and opens the upload's log line;
    // false when they could not be read and the user chose not to update.
    bool prepareUpload(const QString &path);
    void logRefusedImage(const QString &path);
    // Once per upload, however it ended; the line then waits for the wheel.
    void uploadEnded(bool written);
    // On every connection: the log line, the version and the settings of a
    // wheel back from an update.
    void checkAfterUpdate();
    void offerRestore(const settingssnapshot::Settings &backup);
    // Writes the line of an ended upload whose wheel has not come back.
    void closeUpdateRecord();
    updatelog::Entry updateEntry(const QString &path, updatelog::Result result) const;
    // The version text the wheel reported at the last connection.
    QString reportedVersion() const;
    std::optional<PendingUpdate> pendingUpdate;
    int uploadSerial = 0;
    // The "version" of the last check the user agreed to, and the address
    // downloadedFirmware came from.
    QString serverVersion;
    QString downloadAddress;

    // Wireless status
    void setUpWirelessLoops();

    Ui::MainWindow *ui;
    double dragX;
    double dragY;
    // Global coordinates are negative on screens left of or above the
    // primary one, so the origin alone cannot tell whether a drag is on.
    bool dragging;
    NolkEvent eventThread;
    NolkUpgrade upgradeThread;
    // Made on first use: most runs never check for an update or scan for
    // Bluetooth, and both pull in a good deal of Qt (and the system bus).
    QNetworkAccessManager &network();
    QNetworkAccessManager *networkAccess = nullptr;
    QBluetoothDeviceDiscoveryAgent *btAgent = nullptr;
    quint32 adcMinL;
    quint32 adcMinR;
    quint32 adcMaxL;
    quint32 adcMaxR;
    QString deviceName;
    QString updateUrl;
    int productId;
    int encoderBindState;
    quint8 encoder1;
    quint8 encoder2;
    bool adjustWhite;
    bool hasBattery;
    bool hasBluetooth;
    // Set once every read of a connection succeeded; cleared at the start of
    // every search and when a connection is dropped. Anything that writes the
    // wheel's stored settings from the window's widgets (the silent save on
    // close above all) must do nothing while it is false: the widgets may then
    // hold values the wheel never reported.
    bool connected;
    // The one pending search while no wheel is connected.
    QTimer retryTimer;
    QList<int> releasedInputs;
    // The image the online update downloaded, while it waits for or runs
    // through the upload; empty otherwise. Only this file is ever deleted:
    // a file the user picked is theirs, wherever it lies.
    QString downloadedFirmware;
    // Tells once per run of a wheel on the bus that no search could open.
    PermissionHint permissionHint;
    // The pending pause of the Bluetooth and of the battery loop.
    QTimer *btPause = nullptr;
    QTimer *batteryPause = nullptr;
};

#endif
