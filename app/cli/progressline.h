#ifndef NOLKSET_PROGRESSLINE_H
#define NOLKSET_PROGRESSLINE_H

#include <QString>

// The firmware upload's progress as one line of text for the terminal.
namespace progressline {

// "[##########----------]  48%  110080 of 229376 bytes  52.4 kB/s"; from 97 %
// on, while the wheel writes its flash, "writing" stands in place of the rate,
// and before any time has passed "-".
QString format(int percent, qint64 bytes, qint64 total, qint64 elapsedNs);

} // namespace progressline

#endif
