#include "app/cli/commands.h"

#include "firmware/updatelog.h"

#include <QList>
#include <QStringList>

#include <algorithm>

namespace cli {

int showHistory(Streams streams)
{
    const QString path = updatelog::defaultPath();
    const updatelog::Reading reading = updatelog::read(path);
    if (!reading.error.isEmpty())
        return fail(streams, Refused,
                    QStringLiteral("cannot read %1: %2").arg(path, reading.error));
    if (reading.skipped > 0)
        streams.err << "nolkset: " << path << ": skipped " << reading.skipped
                    << " line(s) that are no update record\n";
    if (reading.entries.isEmpty()) {
        streams.out << "No firmware updates recorded yet (" << path << ").\n";
        streams.out.flush();
        return Success;
    }
    // Lines are written when the wheel is back, so their order in the file
    // need not be the order of the uploads.
    QList<updatelog::Entry> entries = reading.entries;
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const updatelog::Entry &a, const updatelog::Entry &b) { return a.time > b.time; });
    QList<QStringList> rows{
        {QStringLiteral("TIME (UTC)"), QStringLiteral("MODEL"), QStringLiteral("PRODUCT"),
         QStringLiteral("RESULT"), QStringLiteral("BEFORE"), QStringLiteral("AFTER"),
         QStringLiteral("BYTES"), QStringLiteral("MD5"), QStringLiteral("SOURCE")}};
    for (const updatelog::Entry &entry : entries)
        rows << QStringList{entry.time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                            entry.model,
                            QStringLiteral("%1").arg(entry.productId, 4, 16, QLatin1Char('0')),
                            updatelog::resultName(entry.result),
                            entry.versionBefore,
                            entry.versionAfter.isEmpty() ? QStringLiteral("-") : entry.versionAfter,
                            QString::number(entry.imageSize),
                            entry.md5.isEmpty() ? QStringLiteral("-") : entry.md5,
                            entry.source};
    QList<qsizetype> widths(rows.constFirst().size(), 0);
    for (const QStringList &row : rows) {
        for (qsizetype column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    }
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype column = 0; column + 1 < row.size(); ++column)
            line += row[column].leftJustified(widths[column] + 2);
        streams.out << line << row.constLast() << '\n';
    }
    streams.out.flush();
    return Success;
}

} // namespace cli
