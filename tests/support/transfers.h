#ifndef NOLKSET_TRANSFERS_H
#define NOLKSET_TRANSFERS_H

#include "emulator/wheelemulator.h"

#include <QByteArrayList>

// The reports the program sent to the emulated wheels since the log was last
// cleared, feature sends and output writes in order, as hex text
// ("02 0c 04 28 00 ..."); a transfer the wheel did not take ends in " failed".
inline QByteArrayList sentReports()
{
    QByteArrayList sent;
    for (const emu::LogEntry &entry : emu::log()) {
        if (entry.kind != emu::Transfer::SendFeature && entry.kind != emu::Transfer::Write)
            continue;
        QByteArray bytes(reinterpret_cast<const char *>(entry.bytes.data()),
                         static_cast<qsizetype>(entry.bytes.size()));
        sent << bytes.toHex(' ') + (entry.result < 0 ? " failed" : "");
    }
    return sent;
}

// A wheel's answer from hex text; bytes not given are zero.
inline emu::Report answerFrom(const QByteArray &hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    emu::Report answer{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), static_cast<qsizetype>(emu::ReportSize)), answer.begin());
    return answer;
}

// A 20-byte report as sentReports() shows it, from its leading bytes.
inline QByteArray report(const QByteArray &leadingHex)
{
    QByteArray bytes = QByteArray::fromHex(leadingHex);
    bytes.resize(static_cast<qsizetype>(emu::ReportSize), '\0');
    return bytes.toHex(' ');
}

#endif
