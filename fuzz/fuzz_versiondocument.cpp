// The update server's version.json, as the online update reads it: the
// document itself, the build date in it and the checksum the downloaded
// image is matched against.

#include "firmware/updatecheck.h"
#include "fuzzcheck.h"

#include <QCryptographicHash>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("TZ", "UTC");
    return 0;
}

// The input is the document's body; it also stands in for the image whose
// digest the document lists.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<updatecheck::VersionDocument> document =
        updatecheck::readVersionDocument(body);
    if (document) {
        FUZZ_CHECK(
            !document->object.isEmpty() ||
            (document->name.isEmpty() && document->version.isEmpty() && document->md5.isEmpty()));
        updatecheck::serverBuildDate(document->version);
        updatecheck::digestListed(body, document->md5);
    }

    // The image's own digest is found in a line that lists it, in either case.
    const QString digest =
        QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex());
    FUZZ_CHECK(updatecheck::digestListed(body, QStringLiteral("MD5: ") + digest.toUpper()));
    FUZZ_CHECK(!updatecheck::digestListed(body, digest.left(31)));
    return 0;
}
