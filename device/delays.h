#ifndef NOLKSET_DELAYS_H
#define NOLKSET_DELAYS_H

// The program's waits (reconnection retries, the wheel's writing time,
// wireless polling). Shipped values stay as given; tests shorten them all
// through the one hook below instead of waiting seconds per case.
namespace delays {

constexpr int ReconnectMs = 3000;
// A wheel's node may open a moment after it appeared (udev setting its rights).
constexpr int ArrivalRecheckMs = 250;
constexpr int BluetoothPauseMs = 5000;
constexpr int BatteryPauseMs = 10000;
constexpr int FirmwareWriteStepMs = 1000;
// How long the update log waits for the wheel to come back after an upload.
constexpr int UpdateReturnMs = 30000;

// The wait to use for a shipped delay.
int ms(int shippedMs);

// Test hook: every delay is divided by divisor (1 restores the shipped waits).
void setTestDivisor(int divisor);

} // namespace delays

#endif
