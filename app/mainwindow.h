#ifndef NOLKSET_MAINWINDOW_H
#define NOLKSET_MAINWINDOW_H

#include "app/permissionhint.h"
#include "device/nolkevent.h"
#include "device/protocol.h"
#include "firmware/nolkupgrade.h"
#include "firmware/pendingupdate.h"
#include "settings/calibrationstore.h"
#include "settings/storedsettings.h"

#include <QBluetoothDeviceInfo>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <optional>

class DeviceWatcher;
class QBluetoothDeviceDiscoveryAgent;
class QNetworkAccessManager;

class CommandServer;
class QAbstractButton;
class QComboBox;
class QColor;
class QPushButton;
class QMouseEvent;
class QCloseEvent;
class QTimer;

namespace Ui {
class MainWindow;
}

namespace request {
struct Request;
struct Answer;
} // namespace request

namespace cli {
struct Streams;
} // namespace cli

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Carries out the command line's requests that arrive on the local socket
    // of the copy whose lock lives in folder; false when it cannot listen.
    bool serveCommands(const QString &folder);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    // A close from the window manager does not run onClose(); the threads
    // must still be stopped before the window's members go away.
    void closeEvent(QCloseEvent *event) override;
#ifdef Q_OS_WIN
    // Windows announces a plugged wheel with a message to this window.
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;
#endif

protected slots:
    // In the order the window's slots are listed; each group is defined in
    // the file named beside it.
    void onClose(); // app/mainwindow.cpp
    void onSidebar();
    void onColorPick(); // settings/mainwindow_ledcolours.cpp
    void onInit();      // device/mainwindow_connection.cpp
    void onShowPath();  // firmware/mainwindow_manualupdate.cpp
    void onUpgrade();
    void onProgress(int value);
    void onJoystickEvent(QByteArray report); // settings/mainwindow_inputview.cpp
    void onAutoUpgrade();                    // firmware/mainwindow_onlineupdate.cpp
    void onUpgradeReady();
    void onClearFlash(); // firmware/mainwindow_manualupdate.cpp
    void onBatScan();    // wireless/mainwindow_wireless.cpp
    void onBTScan();
    void onBTUpdate(QBluetoothDeviceInfo info);
    void onBTDone();
    void onSavePageE(); // settings/mainwindow_pulsewidth.cpp
    void onSaveColor(); // settings/mainwindow_ledcolours.cpp
    void onSavePageP(); // settings/mainwindow_paddles.cpp
    void onPaddleChanged(int value);
    void onPaddleUpdate();
    void onBearLCalibrate();
    void onBearRCalibrate();
    void onBearExLCalibrate();
    void onBearExRCalibrate();
    void onTriggerChanged(int value); // settings/mainwindow_pulsewidth.cpp
    void onTriggerUpdate();
    void onClutchStatus(); // settings/mainwindow_paddles.cpp
    void onShifterStatus();
    void onNetUpgrade(); // firmware/mainwindow_onlineupdate.cpp
    void onNetProgress(qint64 received, qint64 total);
    void onNetUpgradeReady();
    void onCalibrateL(bool checked); // settings/mainwindow_axiscalibration.cpp
    void onCalibrateR(bool checked);
    void onEncoderBind(); // settings/mainwindow_inputview.cpp

private:
    // Application shell: app/mainwindow.cpp
    void stopThreads();

    // Connection and model profiles: device/mainwindow_connection.cpp
    void showWaitingState();
    // Stops the reader, closes the wheel and waits for the next search.
    void abandonConnection();
    void applyModelProfile(const QString &name);
    // The first count of storedsettings::ConnectionReads into the pages, all
    // or nothing: a wheel that leaves one unanswered is dropped.
    bool readStoredSettings(std::size_t count);
    // The pages show the settings the wheel now stores; false when it was
    // dropped.
    bool rereadSettings();
    // Each read returns false when its transfer failed.
    bool readStoredSetting(storedsettings::Read read);
    bool readLedColors();
    bool readPaddleMode();
    bool readPulseWidth();
    bool readClutchState();
    bool readDeviceName();
    bool readFirmwareVersion();
    void updateShifterGroup();

    // Live input view and encoder binding: settings/mainwindow_inputview.cpp
    void setEncoderBindState(int state);
    void captureEncoder();
    void saveEncoderBinding();
    void clearEncoderBinding();
    void loadEncoderBinding();
    // Input i's indicator at position i (null where it has none); found on the
    // first report.
    QList<QWidget *> indicators;

    // Paddles, clutch and shifters: settings/mainwindow_paddles.cpp
    int paddleModeValue() const;

    // Paddle axis calibration: settings/mainwindow_axiscalibration.cpp
    void readAxisCalibration(int axis);
    // Both axes' kept calibration, shown as the ranges of their bars.
    void loadAxisCalibration();
    void writeAxisCalibration(int axis);
    void calibrateAxis(int axis, bool checked);
    // The ranges a stored paddle report carries; an axis whose calibration
    // has recorded nothing yet goes out with the range it had before.
    protocol::AxisRanges axisRanges() const;
    // Whether the wheel has been given the kept calibration of the axis with
    // a stored paddle report, kept in the settings store per product id.
    bool calibrationGiven(int axis) const;
    void setCalibrationGiven(int axis, bool given);

    // LED colours: settings/mainwindow_ledcolours.cpp
    void setLedButtonColor(QAbstractButton *button, QColor &color);
    QColor ledButtonColor(QAbstractButton *button, bool whiteCorrection) const;
    // True when the wheel took every report sent.
    bool sendLedColors(bool store);

    // Manual update and flash clearing: firmware/mainwindow_manualupdate.cpp
    void resetUpgrade();
    // An upload runs, or the search for the wheel after one is pending:
    // nothing else may start an upload or touch its widgets.
    bool uploadBusy() const;
    // A search after an upload has connected the wheel or shown the waiting
    // look: the update buttons take a press again.
    void endUploadSearch();
    // Runs once the upload thread has ended, however it ended.
    void finishUpload();
    // Tells the user the window stays open while an upload runs: closing
    // would leave the wheel with half an image.
    bool keepOpenForUpload();

    // Settings backup and update log around an upload:
    // firmware/mainwindow_updatebackup.cpp
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

    // Wireless status: wireless/mainwindow_wireless.cpp
    void setUpWirelessLoops();

    // Device arrival: device/mainwindow_devicewatch.cpp. A waiting window
    // searches as soon as a wheel appears.
    void setUpDeviceWatch();
    void searchOnArrival();

    // The command line's requests, run between the window's own transfers:
    // app/mainwindow_commands.cpp
    request::Answer carryOut(const request::Request &request);
    void raiseWindow();
    // Runs a command of the command line on the wheel this window holds;
    // false, with its message in the debug output, when it failed.
    bool runCommand(const std::function<int(cli::Streams)> &command);
    // Shows what the wheel holds after a restore, as at connection.
    void showRestoredSettings();
    CommandServer *commandServer = nullptr;

    // Profiles: settings/mainwindow_profiles.cpp
    void setUpProfileRow();
    void buildProfileRow();
    void refreshProfileRow();
    void onApplyProfile();
    void onSaveProfile();
    QComboBox *cbProfile = nullptr;
    QPushButton *pbApplyProfile = nullptr;
    QPushButton *pbSaveProfile = nullptr;

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
    // The range each axis had when its calibration started.
    calibrationstore::AxisRange rangeBeforeL{};
    calibrationstore::AxisRange rangeBeforeR{};
    // The axis ranges the wheel was last given with a stored paddle report;
    // nothing when it has not been given those in use.
    std::optional<protocol::AxisRanges> givenRanges;
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
    // The one pending search: while no wheel is connected, and after an upload.
    QTimer retryTimer;
    QList<int> releasedInputs;
    // The image the online update downloaded, while it waits for or runs
    // through the upload; empty otherwise. Only this file is ever deleted:
    // a file the user picked is theirs, wherever it lies.
    QString downloadedFirmware;
    // From the end of an upload until a search has connected the wheel again
    // or shown the waiting look: the search that follows an upload would cut
    // off one started meanwhile.
    bool uploadAwaitsSearch = false;
    // Tells once per run of a wheel on the bus that no search could open.
    PermissionHint permissionHint;
    // The pending pause of the Bluetooth and of the battery loop.
    QTimer *btPause = nullptr;
    QTimer *batteryPause = nullptr;
    DeviceWatcher *deviceWatcher = nullptr;
    // The one more search shortly after an arrival whose node did not open.
    QTimer *arrivalRecheck = nullptr;
};

#endif
