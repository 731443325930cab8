// Build dates from both sides of the online update: the wheel's version
// answer (the date after its TAB) and the date text the server's version
// document carries.

#include "device/protocol.h"
#include "firmware/updatecheck.h"
#include "fuzzcheck.h"

#include <QLocale>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

const QString DateFormat = QStringLiteral("MMM d yyyy,hh:mm");

// A date that reads as valid is one the same format writes back.
void checkDate(const QDateTime &date)
{
    if (!date.isValid())
        return;
    FUZZ_CHECK(updatecheck::serverBuildDate(QLocale::c().toString(date, DateFormat)) == date);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Local time without daylight saving gaps, as on the machines that test.
    qputenv("TZ", "UTC");
    return 0;
}

// The first 20 bytes are the wheel's version answer; the whole input is also
// read as a date text from the server and as a label.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    protocol::Report answer{};
    std::copy_n(data, std::min(size, protocol::ReportSize), answer.begin());
    const QString label =
        QStringLiteral("Firmware Version:") + protocol::firmwareVersionAnswer(answer);
    const QDateTime wheel = updatecheck::wheelBuildDate(label);
    checkDate(wheel);

    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    checkDate(updatecheck::serverBuildDate(text));
    const QDateTime fromText = updatecheck::wheelBuildDate(text);
    FUZZ_CHECK(!fromText.isValid() || text.contains(QLatin1Char('\t')));
    checkDate(fromText);
    return 0;
}
