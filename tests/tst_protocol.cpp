#include "device/protocol.h"

#include <QtTest>

using namespace protocol;

namespace {

// Hex text as a report; bytes not given are zero, bytes beyond 20 are cut.
Report report(const QByteArray &hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    Report out{};
    std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), ReportSize), out.begin());
    return out;
}

QByteArray hex(const Report &r)
{
    return QByteArray(reinterpret_cast<const char *>(r.data()), ReportSize).toHex(' ');
}

QByteArray patternImage(int size)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = static_cast<char>(i);
    return image;
}

} // namespace

// The commands the window sends are checked byte for byte on the emulated
// wheel by the PADDLES, settings and update tests; here what they do not reach.
class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void builders()
    {
        QCOMPARE(hex(storedPaddleMode(0, {0x12345678, 0x0001FFFF, 0x10000, 0xFFFFFFFF})),
                 hex(report("020A00EF007856FFFF0000FFFF")));
        // The clutch query went unanswered: the write still gets its own header.
        Report buffer = report("020B0C08");
        makeStoredClutch(buffer, true);
        QCOMPARE(hex(buffer), hex(report("020C0801000000EF")));
    }

    void chunk_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("offset 0x1230")
            << 0x2000 << 0x1230 << 16 << QByteArray("02812310303132333435363738393A3B3C3D3E3F");
        QTest::newRow("last addressable chunk")
            << 0x80000 << 0x7FFF0 << 16
            << QByteArray("02FFFF10F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF");
        // Refused offsets leave the buffer as it was.
        QTest::newRow("not a chunk start") << 64 << 17 << 0 << QByteArray("02AABBCCDD");
        QTest::newRow("at image end") << 32 << 32 << 0 << QByteArray("02AABBCCDD");
        QTest::newRow("chunk number beyond 15 bits")
            << 0x80010 << 0x80000 << 0
            << QByteArray("02AABBCCDD");
    }

    void chunk()
    {
        QFETCH(int, size);
        QFETCH(int, offset);
        QFETCH(QByteArray, expected);
        Report buffer = report("02AABBCCDD");
        QTEST(int(fillImageChunk(buffer, patternImage(size), std::size_t(offset))), "count");
        QCOMPARE(hex(buffer), hex(report(expected)));
    }

    void answers_data()
    {
        QTest::addColumn<QString>("decoded");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char *tag, const QString &decoded, const char *expected) {
            QTest::newRow(tag) << decoded << QString::fromUtf8(expected);
        };
        const auto clutch = [](const QByteArray &answer) {
            return QString::fromLatin1(clutchAnswer(report(answer)) ? "on" : "off");
        };
        row("clutch 1", clutch("020C0801000000"), "on");
        row("clutch -1", clutch("020C08FFFFFFFF"), "on");
        row("clutch 1 in high byte too", clutch("020C0801000001"), "off");

        const auto text = [](const QByteArray &header, const QByteArray &text) {
            return report(header + text.toHex());
        };
        const auto name = [&](const QByteArray &header, const QByteArray &bytes) {
            return deviceNameAnswer(text(header, bytes)).value_or(QStringLiteral("(unchanged)"));
        };
        row("name without NUL", name("020D", "NOLK SOVIN WHEEL X1"), "NOLK SOVIN WHEEL X");
        row("name UTF-8", name("020D", "D\xC3\x84MTA"), "D\xC3\x84MTA");

        const auto version = [&](const QByteArray &bytes) {
            return firmwareVersionAnswer(text("0209", bytes));
        };
        row("version without colon", version("Jan  2 2023,14:05"), "\tJan  2 2023,14:05");
        row("version 18 chars ending ':'", version("Jan 12 2023,14:05:"), "\tJan 12 2023,14:05");
        row("version drops one colon only", version("Jan 12 2023,14::"), "\tJan 12 2023,14:");

        const auto echo = [](const QByteArray &query, const QByteArray &answer) {
            return QString::fromLatin1(echoes(report(query), report(answer)) ? "echoed" : "no");
        };
        row("echo LED block 3", echo("020B03", "0203"), "echoed");
        row("echo of another block", echo("020B02", "0203"), "no");
        row("echo of the parameter", echo("020B0C08", "020C0801"), "echoed");
        row("echo of another parameter", echo("020B0C08", "020C0401"), "no");
        row("request left in the buffer", echo("020B0F", "020B0F"), "no");
    }

    void answers()
    {
        QFETCH(QString, decoded);
        QTEST(decoded, "expected");
    }

    // Pins the decoding where the window tests pin the encoding; also keeps
    // out-of-range bite points from reading back as the other side.
    void paddleModeRoundTrip()
    {
        for (int value = 0; value <= 201; ++value)
            QCOMPARE(int(encodePaddleMode(decodePaddleMode(std::uint8_t(value)))), value);
        QCOMPARE(int(encodePaddleMode({ClutchSide::None, 37})), 0xFF);
        QCOMPARE(int(encodePaddleMode({ClutchSide::Left, 150})), 100);
        QCOMPARE(int(encodePaddleMode({ClutchSide::Right, -5})), 101);
        QCOMPARE(int(encodePaddleMode({ClutchSide::Right, 250})), 201);
    }

    void integers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("int32");
        QTest::addColumn<int>("u16");

        QTest::newRow("last int32 position")
            << QByteArray("0000000000000000000000000000000078563412") << 16 << 0x12345678 << 0x5678;
        QTest::newRow("u16 at the end only")
            << QByteArray("0000000000000000000000000000000000003412") << 18 << 0 << 0x1234;
        QTest::newRow("beyond the report")
            << QByteArray("FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF") << 19 << 0 << 0;
    }

    void integers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, position);
        QFETCH(int, int32);
        const Report r = report(bytes);
        QCOMPARE(int32At(r, std::size_t(position)), int32);
        QTEST(int(u16At(r, std::size_t(position))), "u16");
    }
};

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
