#ifndef NOLKSET_FIRMWAREIMAGE_H
#define NOLKSET_FIRMWAREIMAGE_H

#include "emulator/wheelemulator.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <vector>

// Firmware images for the upload tests and what the emulated wheel received
// of them.
namespace firmwareimage {

// Bytes that differ from chunk to chunk, so stale bytes show; with a build
// date, the wheel's marker for it sits at the start.
inline QByteArray make(int size, const QByteArray &buildDate = {})
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = static_cast<char>((i * 7 + i / 16 + 1) & 0xFF);
    if (!buildDate.isEmpty()) {
        const QByteArray marker = QByteArrayLiteral("NOLKFW:") + buildDate + '\0';
        image.replace(0, marker.size(), marker);
    }
    return image;
}

inline bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Feature reports the program sent, with their results, that carry an image
// chunk (bit 7 of byte 1) or the image end (op 0x10).
inline std::vector<emu::LogEntry> imageReports(std::uint16_t productId = 0)
{
    std::vector<emu::LogEntry> reports;
    for (const emu::LogEntry &entry : emu::log()) {
        if (entry.kind == emu::Transfer::SendFeature && entry.bytes.size() > 1 &&
            (entry.bytes[1] & 0x80 || entry.bytes[1] == 0x10) &&
            (productId == 0 || entry.productId == productId))
            reports.push_back(entry);
    }
    return reports;
}

inline bool isEnd(const emu::LogEntry &entry)
{
    return entry.bytes[1] == 0x10;
}

} // namespace firmwareimage

#endif
