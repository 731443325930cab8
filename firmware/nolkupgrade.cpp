#include "firmware/nolkupgrade.h"

#include "device/delays.h"
#include "device/hidlink.h"
#include "device/protocol.h"

#include <QByteArray>
#include <QFile>

namespace {
// The stream takes 0 to 95; 96 never shows, 97 to 100 are the writing steps.
constexpr qint64 StreamPercent = 96;
constexpr int FirstWritingStep = 97;
constexpr int Done = 100;
} // namespace

NolkUpgrade::NolkUpgrade(QObject *parent)
    : QThread(parent)
{
}

void NolkUpgrade::run()
{
    HidLink &link = HidLink::instance();
    // Taken before the open test: a wheel replaced in between fails the first
    // send instead of receiving the image.
    const std::uint64_t wheel = link.generation();
    takenBytes.store(0);
    if (!link.isOpen())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray image = file.readAll();
    const bool complete = file.error() == QFileDevice::NoError && image.size() == file.size();
    file.close();
    // A partly read or oversized file must not reach the wheel's flash.
    if (!complete || static_cast<std::size_t>(image.size()) > protocol::MaxImageSize) {
        emit progress(-1);
        return;
    }

    const auto size = static_cast<std::size_t>(image.size());
    protocol::Report report{};
    report[0] = protocol::FeatureReportId;
    int reported = -1;
    for (std::size_t offset = 0; offset < size; offset += protocol::ChunkSize) {
        const std::size_t count = protocol::fillImageChunk(report, image, offset);
        // Fails once the wheel is gone or another one was opened: no chunk
        // ever reaches a wheel that did not get the image's start.
        const int sent = link.sendFeatureIfGeneration(report, wheel);
        if (sent < 0) {
            // No image end: the wheel must not commit a partial image.
            emit progress(sent);
            return;
        }
        takenBytes.fetch_add(static_cast<qint64>(count));
        const int percent = static_cast<int>(static_cast<qint64>(offset) * StreamPercent /
                                             static_cast<qint64>(size));
        if (percent != reported) {
            reported = percent;
            emit progress(percent);
        }
    }

    protocol::makeImageEnd(report);
    const int ended = link.sendFeatureIfGeneration(report, wheel);
    if (ended < 0) {
        emit progress(ended);
        return;
    }
    // The wheel's time to write its flash.
    for (int step = FirstWritingStep; step <= Done; ++step) {
        QThread::msleep(static_cast<unsigned long>(delays::ms(delays::FirmwareWriteStepMs)));
        emit progress(step);
    }
}
