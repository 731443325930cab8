#include "app/cli/commands.h"

#include "app/cli/progressline.h"
#include "app/cli/wheelsession.h"
#include "firmware/firmwarefile.h"
#include "firmware/nolkupgrade.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <mutex>

namespace cli {

int flashFirmware(Streams streams, const QString &file)
{
    if (!firmwarefile::isFirmwareFile(file))
        return fail(streams, Refused,
                    QStringLiteral("%1 is not a valid firmware: the name must end in .bin and the "
                                   "file hold 1 to 229376 bytes")
                        .arg(file));
    const qint64 total = QFileInfo(file).size();
    WheelSession session(Host{});
    if (const int opened = session.open(streams); opened != Success)
        return opened;

    NolkUpgrade upload;
    upload.path = file;
    QElapsedTimer clock;
    int last = 0;
    bool heard = false;
    int printedTens = -1;
    bool drawn = false;
    // Runs on the upload thread while this one waits for it, so the streams
    // have one user at a time; the lock hands the results over to this thread.
    std::mutex handOver;
    QObject::connect(&upload, &NolkUpgrade::progress, [&](int percent) {
        const std::lock_guard<std::mutex> hold(handOver);
        heard = true;
        last = percent;
        if (percent < 0)
            return;
        const QString line =
            progressline::format(percent, upload.sentBytes(), total, clock.nsecsElapsed());
        if (streams.errIsTerminal) {
            streams.err << '\r' << line;
            drawn = true;
        } else if (percent / 10 != printedTens || percent > 96) {
            printedTens = percent / 10;
            streams.err << line << '\n';
        }
        streams.err.flush();
    });
    clock.start();
    upload.start();
    upload.wait();
    const std::lock_guard<std::mutex> hold(handOver);
    // The bar's line ends before any message follows it.
    if (drawn)
        streams.err << '\n';

    if (!heard)
        return fail(streams, TransferFailed,
                    QStringLiteral("the wheel was gone before the upload began"));
    if (last < 0 && upload.sentBytes() == total)
        return fail(streams, TransferFailed,
                    QStringLiteral("firmware update failed: the wheel did not take the image end"));
    if (last < 0)
        return fail(streams, TransferFailed,
                    QStringLiteral("firmware update failed: the wheel stopped taking the image "
                                   "after %1 of %2 bytes; no image end was sent")
                        .arg(upload.sentBytes())
                        .arg(total));
    streams.out << "Firmware updated successfully.\n";
    streams.out.flush();
    return Success;
}

} // namespace cli
