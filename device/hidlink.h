#ifndef NOLKSET_HIDLINK_H
#define NOLKSET_HIDLINK_H

#include "device/protocol.h"

#include <QByteArray>
#include <QMutex>

#include <atomic>
#include <cstddef>
#include <cstdint>

struct hid_device_;
typedef struct hid_device_ hid_device;

// The one process-wide handle of the open wheel, shared by the GUI thread,
// the input reader and the firmware upload.
//
// hidapi is not thread-safe apart from hid_read on its own thread, and closing
// a handle while another thread is inside a call on it is a use-after-free.
// So every feature report, output report and the close take one mutex, and a
// query holds it across its send and get so no other report falls between
// them. hid_read is left unlocked: only the reader calls it, and whoever wants
// the wheel closed stops the reader first.
class HidLink
{
public:
    static HidLink &instance();

    // hid_init(), once per process.
    static void init();

    // Opens vendor/product with no serial number. On success the handle is
    // shared and the generation number moves on. Fails if a wheel is open.
    bool open(std::uint16_t vendorId, std::uint16_t productId);
    // The same for the wheel at a device path, as hid_enumerate lists it.
    bool openPath(const QByteArray &path);
    // Closes and clears the handle; nothing happens when none is open.
    void close();
    bool isOpen() const;

    // Counts the successful opens. A long run of transfers stops when the
    // wheel it started on was closed or replaced.
    std::uint64_t generation() const;

    // Every transfer returns a negative result while no wheel is open.
    int sendFeature(const protocol::Report &report);
    // Sends the query and gets the answer into the same report under one
    // hold of the lock. The result is that of the get, or of a failed send.
    int query(protocol::Report &report);
    int write(const protocol::Report &report);

    // Sends a feature report only while the wheel of the given generation is
    // still the open one.
    int sendFeatureIfGeneration(const protocol::Report &report, std::uint64_t generation);

    // For the reader thread only.
    int setNonBlocking(bool nonBlocking);
    int read(unsigned char *data, std::size_t length);

private:
    HidLink() = default;

    // Runs one transfer on the open wheel under the lock; -1 when none is open.
    template <typename Transfer>
    int withDevice(Transfer &&transfer);

    mutable QMutex mutex;
    std::atomic<hid_device *> handle{nullptr};
    std::atomic<std::uint64_t> openCount{0};
};

#endif
