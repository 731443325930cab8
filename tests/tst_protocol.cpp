#include "device/protocol.h"

#include <QtTest>

#include <limits>
#include <optional>

using namespace protocol;

Q_DECLARE_METATYPE(protocol::ClutchSide)

namespace {

// Hex text as a report; bytes not given are zero.
Report report(const QByteArray &hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    Report out{};
    std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), ReportSize), out.begin());
    return out;
}

// Text placed from a start byte on, over a header given in hex.
Report textReport(const QByteArray &headerHex, const QByteArray &text)
{
    Report out = report(headerHex);
    const auto start = static_cast<std::size_t>(QByteArray::fromHex(headerHex).size());
    std::copy_n(text.constData(), std::min<std::size_t>(text.size(), ReportSize - start),
                out.begin() + static_cast<std::ptrdiff_t>(start));
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

class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void builders_data();
    void builders();
    void storedClutch_data();
    void storedClutch();
    void imageTransfer_data();
    void imageTransfer();
    void chunkHeader_data();
    void chunkHeader();
    void chunkRefused_data();
    void chunkRefused();
    void decodePaddleMode_data();
    void decodePaddleMode();
    void encodePaddleMode_data();
    void encodePaddleMode();
    void paddleModeRoundTrip();
    void clutchAnswer_data();
    void clutchAnswer();
    void deviceName_data();
    void deviceName();
    void firmwareVersion_data();
    void firmwareVersion();
    void integers_data();
    void integers();
    void battery_data();
    void battery();
    void ledBlockAnswer();
};

void TestProtocol::builders_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    auto row = [](const char *tag, const Report &built, const QByteArray &expected) {
        QTest::newRow(tag) << hex(built) << hex(report(expected));
    };
    row("query name", query(item::DeviceName), "020B0D");
    row("query version", query(item::FirmwareVersion), "020B09");
    row("query paddle mode", query(item::PaddleMode), "020B0A");
    row("query battery", query(item::Battery), "020B0F");
    row("query led block 3", query(item::LedBlock0 + 3), "020B03");
    row("query pulse width", parameterQuery(param::PulseWidth), "020B0C04");
    row("query clutch", parameterQuery(param::ClutchEnable), "020B0C08");
    row("live paddle right 30", livePaddleMode(0x83), "020A83");
    row("stored paddle right 30", storedPaddleMode(0x83, {4000, 3900, 200, 100}),
        "020A83EF00A00F3C0FC8006400");
    row("stored paddle without calibration", storedPaddleMode(0xFF, {4096, 4096, 0, 0}),
        "020AFFEF000010001000000000");
    row("stored paddle low 16 bits",
        storedPaddleMode(0, {0x12345678, 0x0001FFFF, 0x10000, 0xFFFFFFFF}),
        "020A00EF007856FFFF0000FFFF");
    row("pulse width live 100", pulseWidthWrite(100, false), "020C0464000000");
    row("pulse width stored 100", pulseWidthWrite(100, true), "020C0464000000EF");
    row("pulse width live 40", pulseWidthWrite(40, false), "020C0428000000");
    row("pulse width stored 240", pulseWidthWrite(240, true), "020C04F0000000EF");
    row("negative value", parameterWrite(param::PulseWidth, -2, false), "020C04FEFFFFFF");
    row("teach left start", shifterTeachStart(param::LeftShifter), "020C030000000000");
    row("teach right finish", shifterTeachFinish(param::RightShifter), "020C05FFFFFFFFEF");
    row("teach extra left finish", shifterTeachFinish(param::ExtraLeftShifter), "020C06FFFFFFFFEF");
    row("teach extra right start", shifterTeachStart(param::ExtraRightShifter), "020C07");
    row("clutch live on", liveClutch(true), "020C0801000000");
    row("clutch live off", liveClutch(false), "020C08FF000000");
    row("clear flash", clearFlash(), "020C10");
    row("led store", ledStore(), "020E");

    LedBlock block{};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(0xA0 + i);
    row("led output block 2", ledOutput(2, block), "0302A0A1A2A3A4A5A6A7A8A9AAABACADAEAFB0B1");
}

void TestProtocol::builders()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built, expected);
}

void TestProtocol::storedClutch_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("on");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("off answer, switch on")
        << QByteArray("020C08FF00000000A1A2A3A4A5A6A7A8A9AAABAC") << true
        << QByteArray("020C0801000000EFA1A2A3A4A5A6A7A8A9AAABAC");
    QTest::newRow("on answer, switch off")
        << QByteArray("020C0801000000005152535455565758595A5B5C") << false
        << QByteArray("020C08FF000000EF5152535455565758595A5B5C");
    QTest::newRow("unanswered query left in buffer")
        << QByteArray("020B0C08") << true << QByteArray("020C0801000000EF");
    QTest::newRow("garbage header replaced")
        << QByteArray("77665544332211FF01") << false << QByteArray("020C08FF000000EF01");
}

void TestProtocol::storedClutch()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, on);
    QFETCH(QByteArray, expected);

    Report buffer = report(answer);
    makeStoredClutch(buffer, on);
    QCOMPARE(hex(buffer), hex(report(expected)));
}

void TestProtocol::imageTransfer_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArrayList>("expected");

    QTest::newRow("40 bytes") << 40
                              << QByteArrayList{"02800010000102030405060708090A0B0C0D0E0F",
                                                "02800110101112131415161718191A1B1C1D1E1F",
                                                "02800208202122232425262718191A1B1C1D1E1F",
                                                "02100208202122232425262718191A1B1C1D1E1F"};
    QTest::newRow("17 bytes") << 17
                              << QByteArrayList{"02800010000102030405060708090A0B0C0D0E0F",
                                                "02800101100102030405060708090A0B0C0D0E0F",
                                                "02100101100102030405060708090A0B0C0D0E0F"};
    QTest::newRow("16 bytes") << 16
                              << QByteArrayList{"02800010000102030405060708090A0B0C0D0E0F",
                                                "02100010000102030405060708090A0B0C0D0E0F"};
    QTest::newRow("empty") << 0 << QByteArrayList{"0210"};
}

// One buffer serves the whole upload, as the upload thread uses it.
void TestProtocol::imageTransfer()
{
    QFETCH(int, size);
    QFETCH(QByteArrayList, expected);

    const QByteArray image = patternImage(size);
    Report buffer{};
    buffer[0] = FeatureReportId;
    QByteArrayList sent;
    for (std::size_t offset = 0; offset < static_cast<std::size_t>(size); offset += ChunkSize) {
        QVERIFY(fillImageChunk(buffer, image, offset) > 0);
        sent << hex(buffer);
    }
    makeImageEnd(buffer);
    sent << hex(buffer);

    QByteArrayList want;
    for (const QByteArray &e : expected)
        want << hex(report(e));
    QCOMPARE(sent, want);
}

void TestProtocol::chunkHeader_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("header");

    QTest::newRow("offset 0x1230") << 0x2000 << 0x1230 << QByteArray("812310");
    QTest::newRow("last chunk of largest image")
        << int(MaxImageSize) << int(MaxImageSize - ChunkSize) << QByteArray("B7FF10");
    QTest::newRow("last addressable chunk")
        << int(ImageAddressLimit) << int(ImageAddressLimit - ChunkSize) << QByteArray("FFFF10");
    QTest::newRow("short tail") << 0x105 << 0x100 << QByteArray("801005");
}

void TestProtocol::chunkHeader()
{
    QFETCH(int, size);
    QFETCH(int, offset);
    QFETCH(QByteArray, header);

    const QByteArray image = patternImage(size);
    Report buffer{};
    const std::size_t count = fillImageChunk(buffer, image, static_cast<std::size_t>(offset));
    QCOMPARE(count, std::size_t(std::min(size - offset, int(ChunkSize))));
    QCOMPARE(hex(buffer).left(11), QByteArray("02 ") + QByteArray::fromHex(header).toHex(' '));
    QCOMPARE(buffer[4], static_cast<std::uint8_t>(offset));
}

void TestProtocol::chunkRefused_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("offset");

    QTest::newRow("not a chunk start") << 64 << 17;
    QTest::newRow("at image end") << 32 << 32;
    QTest::newRow("past image end") << 32 << 48;
    QTest::newRow("empty image") << 0 << 0;
    QTest::newRow("chunk number beyond 15 bits")
        << int(ImageAddressLimit + ChunkSize) << int(ImageAddressLimit);
}

void TestProtocol::chunkRefused()
{
    QFETCH(int, size);
    QFETCH(int, offset);

    Report buffer = report("02AABBCCDD");
    const Report before = buffer;
    QCOMPARE(fillImageChunk(buffer, patternImage(size), static_cast<std::size_t>(offset)),
             std::size_t(0));
    QCOMPARE(hex(buffer), hex(before));
}

void TestProtocol::decodePaddleMode_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<ClutchSide>("side");
    QTest::addColumn<int>("bitePoint");

    QTest::newRow("0") << 0 << ClutchSide::Left << 0;
    QTest::newRow("100") << 100 << ClutchSide::Left << 100;
    QTest::newRow("101") << 101 << ClutchSide::Right << 0;
    QTest::newRow("150") << 150 << ClutchSide::Right << 49;
    QTest::newRow("201") << 201 << ClutchSide::Right << 100;
    QTest::newRow("202") << 202 << ClutchSide::None << NoClutchBitePoint;
    QTest::newRow("230") << 230 << ClutchSide::None << NoClutchBitePoint;
    QTest::newRow("255") << 255 << ClutchSide::None << NoClutchBitePoint;
}

void TestProtocol::decodePaddleMode()
{
    QFETCH(int, value);
    QFETCH(ClutchSide, side);
    QFETCH(int, bitePoint);

    Report answer = report("020A");
    answer[2] = static_cast<std::uint8_t>(value);
    const PaddleMode mode = protocol::decodePaddleMode(paddleModeAnswer(answer));
    QCOMPARE(mode.side, side);
    QCOMPARE(mode.bitePoint, bitePoint);
}

void TestProtocol::encodePaddleMode_data()
{
    QTest::addColumn<ClutchSide>("side");
    QTest::addColumn<int>("bitePoint");
    QTest::addColumn<int>("value");

    QTest::newRow("left 100") << ClutchSide::Left << 100 << 100;
    QTest::newRow("left 30") << ClutchSide::Left << 30 << 30;
    QTest::newRow("right 0") << ClutchSide::Right << 0 << 101;
    QTest::newRow("right 30") << ClutchSide::Right << 30 << 0x83;
    QTest::newRow("right 100") << ClutchSide::Right << 100 << 201;
    QTest::newRow("none ignores bite point") << ClutchSide::None << 37 << 0xFF;
    QTest::newRow("left above range") << ClutchSide::Left << 150 << 100;
    QTest::newRow("right below range") << ClutchSide::Right << -5 << 101;
    QTest::newRow("right above range") << ClutchSide::Right << 250 << 201;
}

void TestProtocol::encodePaddleMode()
{
    QFETCH(ClutchSide, side);
    QFETCH(int, bitePoint);
    QFETCH(int, value);

    QCOMPARE(int(protocol::encodePaddleMode({side, bitePoint})), value);
}

void TestProtocol::paddleModeRoundTrip()
{
    for (int value = 0; value <= 201; ++value)
        QCOMPARE(int(protocol::encodePaddleMode(protocol::decodePaddleMode(std::uint8_t(value)))),
                 value);
}

void TestProtocol::clutchAnswer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("on");

    QTest::newRow("1") << QByteArray("020C0801000000") << true;
    QTest::newRow("-1") << QByteArray("020C08FFFFFFFF") << true;
    QTest::newRow("255") << QByteArray("020C08FF000000") << false;
    QTest::newRow("0") << QByteArray("020C0800000000") << false;
    QTest::newRow("8") << QByteArray("020C0808000000") << false;
    QTest::newRow("1 in high byte too") << QByteArray("020C0801000001") << false;
    QTest::newRow("unanswered query") << QByteArray("020B0C08") << false;
}

void TestProtocol::clutchAnswer()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, on);
    QCOMPARE(protocol::clutchAnswer(report(answer)), on);
}

void TestProtocol::deviceName_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<std::optional<QString>>("name");

    using Name = std::optional<QString>;
    QTest::newRow("RALKA") << hex(textReport("020D", "RALKA")) << Name(QStringLiteral("RALKA"));
    QTest::newRow("wrong echo") << hex(textReport("020C", "RALKA")) << Name();
    QTest::newRow("unanswered query") << QByteArray("020B0D") << Name();
    QTest::newRow("empty name") << QByteArray("020D") << Name(QString());
    QTest::newRow("no NUL, fills report") << hex(textReport("020D", "NOLK SOVIN WHEEL X1"))
                                          << Name(QStringLiteral("NOLK SOVIN WHEEL X"));
    QTest::newRow("UTF-8") << hex(textReport("020D", "D\xC3\x84MTA"))
                           << Name(QStringLiteral("D\u00C4MTA"));
    QTest::newRow("invalid UTF-8")
        << hex(textReport("020D", "AB\xFF\x43")) << Name(QStringLiteral("AB\uFFFDC"));
}

void TestProtocol::deviceName()
{
    QFETCH(QByteArray, answer);
    QFETCH(std::optional<QString>, name);
    QCOMPARE(deviceNameAnswer(report(answer)), name);
}

void TestProtocol::firmwareVersion_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("version");

    QTest::newRow("date") << hex(textReport("0209", "Jan 12 2023,14:05"))
                          << QStringLiteral("\tJan 12 2023,14:05");
    QTest::newRow("trailing colon")
        << hex(textReport("0209", "Jan  2 2023,9:05:")) << QStringLiteral("\tJan  2 2023,9:05");
    QTest::newRow("18 chars, no NUL, colon last")
        << hex(textReport("0209", "Jan 12 2023,14:05:")) << QStringLiteral("\tJan 12 2023,14:05");
    QTest::newRow("two colons, one removed")
        << hex(textReport("0209", "Jan 12 2023,14::")) << QStringLiteral("\tJan 12 2023,14:");
    QTest::newRow("empty") << QByteArray("0209") << QStringLiteral("\t");
    QTest::newRow("unanswered query") << QByteArray("020B09") << QStringLiteral("\x0B\t");
}

void TestProtocol::firmwareVersion()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, version);
    QCOMPARE(firmwareVersionAnswer(report(answer)), version);
}

void TestProtocol::integers_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("int32");
    QTest::addColumn<int>("u16");

    QTest::newRow("pulse width 100") << QByteArray("020C0464000000") << 3 << 100 << 100;
    QTest::newRow("pulse width -1") << QByteArray("020C04FFFFFFFF") << 3 << -1 << 0xFFFF;
    QTest::newRow("pulse width 500") << QByteArray("020C04F4010000") << 3 << 500 << 500;
    QTest::newRow("int32 minimum")
        << QByteArray("02000000000080") << 3 << std::numeric_limits<int>::min() << 0;
    QTest::newRow("last int32 position")
        << QByteArray("0000000000000000000000000000000078563412") << 16 << 0x12345678 << 0x5678;
    QTest::newRow("u16 at the end only")
        << QByteArray("0000000000000000000000000000000000003412") << 18 << 0 << 0x1234;
    QTest::newRow("beyond the report")
        << QByteArray("FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF") << 19 << 0 << 0;
}

void TestProtocol::integers()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, position);
    QFETCH(int, int32);
    QFETCH(int, u16);

    const Report r = report(bytes);
    QCOMPARE(int32At(r, std::size_t(position)), int32);
    QCOMPARE(int(u16At(r, std::size_t(position))), u16);
    if (position == 3)
        QCOMPARE(pulseWidthAnswer(r), int32);
}

void TestProtocol::battery_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("charge");
    QTest::addColumn<int>("supply");
    QTest::addColumn<bool>("onUsb");

    QTest::newRow("battery 4299") << QByteArray("020F50CB10") << 80 << 4299 << false;
    QTest::newRow("usb 4300") << QByteArray("020F50CC10") << 80 << 4300 << true;
    QTest::newRow("usb 65535") << QByteArray("020F00FFFF") << 0 << 65535 << true;
    QTest::newRow("charge 255 unchanged") << QByteArray("020FFF0000") << 255 << 0 << false;
    QTest::newRow("unanswered query") << QByteArray("020B0F") << 15 << 0 << false;
}

void TestProtocol::battery()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, charge);
    QFETCH(int, supply);
    QFETCH(bool, onUsb);

    const BatteryState state = batteryAnswer(report(answer));
    QCOMPARE(int(state.charge), charge);
    QCOMPARE(int(state.supply), supply);
    QCOMPARE(state.onUsb, onUsb);
}

void TestProtocol::ledBlockAnswer()
{
    const LedBlock block =
        protocol::ledBlockAnswer(report("0201A0A1A2A3A4A5A6A7A8A9AAABACADAEAFB0B1"));
    for (std::size_t i = 0; i < LedBlockSize; ++i)
        QCOMPARE(int(block[i]), int(0xA0 + i));
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
