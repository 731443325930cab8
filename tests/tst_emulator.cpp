// The wheel emulator held against what the program needs of a wheel, talked
// to only through the hidapi functions, byte for byte.

#include "emulator/wheelemulator.h"

#include <hidapi.h>

#include <QtTest>

#include <chrono>
#include <initializer_list>
#include <thread>
#include <vector>

Q_DECLARE_METATYPE(emu::Model)

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr unsigned short Vendor = 0x7B3E;
constexpr unsigned short Ralka = 0x2007;

emu::Report report(std::initializer_list<std::uint8_t> head)
{
    emu::Report bytes{};
    std::copy(head.begin(), head.end(), bytes.begin());
    return bytes;
}

Bytes bytesOf(const emu::Report &report)
{
    return Bytes(report.begin(), report.end());
}

int send(hid_device *device, const emu::Report &bytes)
{
    return hid_send_feature_report(device, bytes.data(), bytes.size());
}

// The program's query: send, then set byte 0 of the same buffer to 0x02 and
// get the answer into it.
emu::Report query(hid_device *device, std::initializer_list<std::uint8_t> head)
{
    emu::Report bytes = report(head);
    if (send(device, bytes) < 0)
        return {};
    bytes[0] = 0x02;
    if (hid_get_feature_report(device, bytes.data(), bytes.size()) < 0)
        return {};
    return bytes;
}

std::int32_t int32At(const emu::Report &bytes, std::size_t at)
{
    return static_cast<std::int32_t>(std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 |
                                     std::uint32_t{bytes[at + 2]} << 16 |
                                     std::uint32_t{bytes[at + 3]} << 24);
}

QString textFrom(const emu::Report &bytes, std::size_t at)
{
    QByteArray text;
    for (std::size_t i = at; i < bytes.size() && bytes[i] != 0; ++i)
        text.append(static_cast<char>(bytes[i]));
    return QString::fromUtf8(text);
}

// Sends an image the way the upload thread does: 16-byte chunks in one
// buffer whose tail keeps the previous chunk's bytes, then the end report.
void sendImage(hid_device *device, const Bytes &image)
{
    emu::Report bytes{};
    bytes[0] = 0x02;
    for (std::size_t offset = 0; offset < image.size(); offset += 16) {
        const std::size_t count = std::min<std::size_t>(16, image.size() - offset);
        bytes[1] = static_cast<std::uint8_t>(0x80 | (offset >> 12));
        bytes[2] = static_cast<std::uint8_t>(offset >> 4);
        bytes[3] = static_cast<std::uint8_t>(count);
        std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), count, bytes.begin() + 4);
        QCOMPARE(send(device, bytes), 20);
    }
    bytes[1] = 0x10;
    QCOMPARE(send(device, bytes), 20);
}

Bytes imageWithDate(std::size_t size, const std::string &date)
{
    Bytes image(size);
    for (std::size_t i = 0; i < size; ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::string marker = "NOLKFW:" + date;
    std::copy(marker.begin(), marker.end(), image.begin() + 40);
    image[40 + marker.size()] = 0;
    return image;
}

int readInput(hid_device *device, Bytes &frame, int milliseconds)
{
    frame.assign(17, 0);
    return hid_read_timeout(device, frame.data(), frame.size(), milliseconds);
}

} // namespace

class TestEmulator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void identity_data();
    void identity();
    void severalWheels();
    void featureReports_data();
    void featureReports();
    void queryAnswers_data();
    void queryAnswers();
    void liveAndStored_data();
    void liveAndStored();
    void shifterTeaching();
    void nameQuery_data();
    void nameQuery();
    void versionQuery_data();
    void versionQuery();
    void ledImage();
    void inputReports();
    void encoderPulse();
    void blockingReadWakes();
    void battery_data();
    void battery();
    void flashClearing();
    void firmwareUpdate();
    void firmwareRejected_data();
    void firmwareRejected();
    void unplugging();
    void failureInjection();
    void logAndMisuse();

private:
    hid_device *openRalka();
    std::vector<hid_device *> opened;
};

hid_device *TestEmulator::openRalka()
{
    hid_device *device = hid_open(Vendor, Ralka, nullptr);
    if (device != nullptr)
        opened.push_back(device);
    return device;
}

void TestEmulator::init()
{
    emu::reset();
    emu::setFirmwareTiming({100ms, 100ms});
}

void TestEmulator::cleanup()
{
    for (hid_device *device : opened)
        hid_close(device);
    opened.clear();
    QCOMPARE(emu::misuseCount(), 0);
    emu::reset();
}

void TestEmulator::identity_data()
{
    QTest::addColumn<unsigned short>("plugged");
    QTest::addColumn<unsigned short>("vendor");
    QTest::addColumn<unsigned short>("product");
    QTest::addColumn<bool>("found");

    QTest::newRow("0x2007") << ushort(0x2007) << Vendor << ushort(0x2007) << true;
    QTest::newRow("0x2008") << ushort(0x2008) << Vendor << ushort(0x2008) << true;
    QTest::newRow("0x2009") << ushort(0x2009) << Vendor << ushort(0x2009) << true;
    QTest::newRow("other product") << ushort(0x2008) << Vendor << ushort(0x2007) << false;
    QTest::newRow("other vendor") << ushort(0x2007) << ushort(0x7B3F) << ushort(0x2007) << false;
}

void TestEmulator::identity()
{
    QFETCH(unsigned short, plugged);
    QFETCH(unsigned short, vendor);
    QFETCH(unsigned short, product);
    QFETCH(bool, found);

    emu::plug(emu::Model::Ralka, plugged);
    hid_device *device = hid_open(vendor, product, nullptr);
    QCOMPARE(device != nullptr, found);
    if (device != nullptr)
        hid_close(device);

    hid_device_info *list = hid_enumerate(Vendor, plugged);
    QVERIFY(list != nullptr);
    QCOMPARE(list->vendor_id, Vendor);
    QCOMPARE(list->product_id, plugged);
    QVERIFY(list->next == nullptr);
    hid_free_enumeration(list);
}

void TestEmulator::severalWheels()
{
    emu::plug(emu::Model::Sovin, 0x2009);
    emu::plug(emu::Model::Demta, 0x2008);

    hid_device *demta = hid_open(Vendor, 0x2008, nullptr);
    hid_device *sovin = hid_open(Vendor, 0x2009, nullptr);
    QVERIFY(demta != nullptr && sovin != nullptr);
    opened = {demta, sovin};
    QCOMPARE(textFrom(query(demta, {0x02, 0x0B, 0x0D}), 2), QStringLiteral("DEMTA"));
    QCOMPARE(textFrom(query(sovin, {0x02, 0x0B, 0x0D}), 2), QStringLiteral("SOVIN"));
    QVERIFY(hid_open(Vendor, 0x2007, nullptr) == nullptr);

    int listed = 0;
    hid_device_info *list = hid_enumerate(Vendor, 0);
    for (hid_device_info *info = list; info != nullptr; info = info->next)
        ++listed;
    hid_free_enumeration(list);
    QCOMPARE(listed, 2);
}

void TestEmulator::featureReports_data()
{
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<int>("result");

    const auto row = [](const char *tag, std::initializer_list<std::uint8_t> head, int result) {
        QTest::newRow(tag) << bytesOf(report(head)) << result;
    };
    row("live paddle mode", {0x02, 0x0A, 0x83}, 20);
    row("stored paddle mode",
        {0x02, 0x0A, 0x83, 0xEF, 0x00, 0xA0, 0x0F, 0x3C, 0x0F, 0xC8, 0x00, 0x64}, 20);
    row("shifter start", {0x02, 0x0C, 0x03}, 20);
    row("shifter finish", {0x02, 0x0C, 0x05, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF}, 20);
    row("pulse width", {0x02, 0x0C, 0x04, 0x64, 0, 0, 0, 0xEF}, 20);
    row("clutch off", {0x02, 0x0C, 0x08, 0xFF}, 20);
    row("clear flash", {0x02, 0x0C, 0x10}, 20);
    row("query", {0x02, 0x0B, 0x0C, 0x04}, 20);
    row("led store", {0x02, 0x0E}, 20);
    row("image chunk", {0x02, 0x80, 0x00, 0x01, 0xAA}, 20);
    row("image end", {0x02, 0x10}, 20);
    row("unknown op", {0x02, 0x55}, 20);
    row("report id 3 as feature", {0x03, 0x0C, 0x04}, -1);
    QTest::newRow("19 bytes") << Bytes(19, 0x02) << -1;
    QTest::newRow("21 bytes") << Bytes(21, 0x02) << -1;
}

void TestEmulator::featureReports()
{
    QFETCH(Bytes, bytes);
    QFETCH(int, result);

    emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    QCOMPARE(hid_send_feature_report(device, bytes.data(), bytes.size()), result);
}

void TestEmulator::queryAnswers_data()
{
    QTest::addColumn<Bytes>("request");
    QTest::addColumn<Bytes>("answer");

    const auto row = [](const char *tag, std::initializer_list<std::uint8_t> request,
                        std::initializer_list<std::uint8_t> answer) {
        QTest::newRow(tag) << bytesOf(report(request)) << bytesOf(report(answer));
    };
    // A fresh wheel: bite point 50 on the left paddle, axes 0 to 4096,
    // pulse width 100 ms, clutch on, all LEDs white, battery 80 % at 3950.
    row("paddle mode", {0x02, 0x0B, 0x0A},
        {0x02, 0x0A, 50, 0, 0, 0x00, 0x10, 0x00, 0x10, 0, 0, 0, 0});
    row("pulse width", {0x02, 0x0B, 0x0C, 0x04}, {0x02, 0x0C, 0x04, 100, 0, 0, 0});
    row("clutch", {0x02, 0x0B, 0x0C, 0x08}, {0x02, 0x0C, 0x08, 1, 0, 0, 0});
    row("unknown parameter", {0x02, 0x0B, 0x0C, 0x22}, {0x02, 0x0C, 0x22, 0xFF, 0xFF, 0xFF, 0xFF});
    row("battery", {0x02, 0x0B, 0x0F}, {0x02, 0x0F, 80, 0x6E, 0x0F});
    row("led block 3", {0x02, 0x0B, 0x03},
        {0x02, 0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
         0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    row("unknown item", {0x02, 0x0B, 0x33}, {0x02, 0x33});
    row("led block 4 is unknown", {0x02, 0x0B, 0x04}, {0x02, 0x04});
}

void TestEmulator::queryAnswers()
{
    QFETCH(Bytes, request);
    QFETCH(Bytes, answer);

    emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    QCOMPARE(hid_send_feature_report(device, request.data(), request.size()), 20);
    // The answer stays until the next query: a second get repeats it.
    for (int get = 0; get < 2; ++get) {
        emu::Report bytes = report({0x02});
        QCOMPARE(hid_get_feature_report(device, bytes.data(), bytes.size()), 20);
        QCOMPARE(bytesOf(bytes), answer);
    }
}

void TestEmulator::liveAndStored_data()
{
    QTest::addColumn<Bytes>("write");
    QTest::addColumn<Bytes>("request");
    QTest::addColumn<int>("answerAt");
    QTest::addColumn<std::int32_t>("answered");

    const auto row = [](const char *tag, std::initializer_list<std::uint8_t> write,
                        std::initializer_list<std::uint8_t> request, int at,
                        std::int32_t answered) {
        QTest::newRow(tag) << bytesOf(report(write)) << bytesOf(report(request)) << at << answered;
    };
    row("live pulse width", {0x02, 0x0C, 0x04, 0xF0}, {0x02, 0x0B, 0x0C, 0x04}, 3, 100);
    row("stored pulse width", {0x02, 0x0C, 0x04, 0xF0, 0, 0, 0, 0xEF}, {0x02, 0x0B, 0x0C, 0x04}, 3,
        240);
    row("live clutch off", {0x02, 0x0C, 0x08, 0xFF}, {0x02, 0x0B, 0x0C, 0x08}, 3, 1);
    row("stored clutch off", {0x02, 0x0C, 0x08, 0xFF, 0, 0, 0, 0xEF}, {0x02, 0x0B, 0x0C, 0x08}, 3,
        255);
    row("stored clutch -1", {0x02, 0x0C, 0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF},
        {0x02, 0x0B, 0x0C, 0x08}, 3, -1);
    row("live paddle mode", {0x02, 0x0A, 0x83}, {0x02, 0x0B, 0x0A}, 2, 50);
    row("stored paddle mode", {0x02, 0x0A, 0x83, 0xEF, 0x00}, {0x02, 0x0B, 0x0A}, 2, 0x83);
    row("paddle marker without zero", {0x02, 0x0A, 0x83, 0xEF, 0x01}, {0x02, 0x0B, 0x0A}, 2, 50);
}

void TestEmulator::liveAndStored()
{
    QFETCH(Bytes, write);
    QFETCH(Bytes, request);
    QFETCH(int, answerAt);
    QFETCH(std::int32_t, answered);

    emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    QCOMPARE(hid_send_feature_report(device, write.data(), write.size()), 20);
    QCOMPARE(hid_send_feature_report(device, request.data(), request.size()), 20);
    emu::Report bytes = report({0x02});
    QCOMPARE(hid_get_feature_report(device, bytes.data(), bytes.size()), 20);
    const std::int32_t value = answerAt == 2 ? bytes[2] : int32At(bytes, 3);
    QCOMPARE(value, answered);
}

void TestEmulator::shifterTeaching()
{
    auto wheel = emu::plug(emu::Model::Demta, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);

    for (std::uint8_t parameter : {0x03, 0x05, 0x06, 0x07}) {
        QCOMPARE(send(device, report({0x02, 0x0C, parameter})), 20);
        QVERIFY(wheel->isTeaching(parameter));
        QCOMPARE(send(device, report({0x02, 0x0C, parameter, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF})), 20);
        QVERIFY(!wheel->isTeaching(parameter));
        QCOMPARE(wheel->timesTaught(parameter), 1);
    }
    // A finish without a start keeps nothing.
    QCOMPARE(send(device, report({0x02, 0x0C, 0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0xEF})), 20);
    QCOMPARE(wheel->timesTaught(0x03), 1);
}

void TestEmulator::nameQuery_data()
{
    QTest::addColumn<emu::Model>("model");
    QTest::addColumn<QString>("modelName");

    QTest::newRow("RALKA") << emu::Model::Ralka << QStringLiteral("RALKA");
    QTest::newRow("DEMTA") << emu::Model::Demta << QStringLiteral("DEMTA");
    QTest::newRow("SOVIN") << emu::Model::Sovin << QStringLiteral("SOVIN");
}

void TestEmulator::nameQuery()
{
    QFETCH(emu::Model, model);
    QFETCH(QString, modelName);

    emu::plug(model, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    const emu::Report answer = query(device, {0x02, 0x0B, 0x0D});
    QCOMPARE(answer[1], std::uint8_t{0x0D});
    const QString name = textFrom(answer, 2);
    QVERIFY2(name.contains(modelName), qPrintable(name));
    int models = 0;
    for (const char *each : {"RALKA", "DEMTA", "SOVIN"})
        models += name.contains(QLatin1String(each)) ? 1 : 0;
    QCOMPARE(models, 1);
}

void TestEmulator::versionQuery_data()
{
    nameQuery_data();
}

void TestEmulator::versionQuery()
{
    QFETCH(emu::Model, model);

    emu::plug(model, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    const emu::Report answer = query(device, {0x02, 0x0B, 0x09});
    const QString text = textFrom(answer, 1);
    QCOMPARE(text.at(0), QChar(u'\t'));
    const QString date = text.mid(1);
    QVERIFY(!date.contains(u'\t'));
    QVERIFY2(QDateTime::fromString(date.simplified(), QStringLiteral("MMM d yyyy,hh:mm")).isValid(),
             qPrintable(date));
}

void TestEmulator::ledImage()
{
    emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);

    std::vector<emu::Report> blocks(4);
    for (std::uint8_t block : {0, 1, 3, 2}) {
        emu::Report &bytes = blocks[block];
        bytes[0] = 0x03;
        bytes[1] = block;
        for (std::size_t i = 2; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(block * 18 + i);
        QCOMPARE(hid_write(device, bytes.data(), bytes.size()), 20);
    }
    // Without the store command the wheel keeps its old image.
    QCOMPARE(query(device, {0x02, 0x0B, 0x02})[2], std::uint8_t{0xFF});

    QCOMPARE(send(device, report({0x02, 0x0E})), 20);
    for (std::uint8_t block = 0; block < 4; ++block) {
        emu::Report expected = blocks[block];
        expected[0] = 0x02;
        QCOMPARE(bytesOf(query(device, {0x02, 0x0B, block})), bytesOf(expected));
    }

    emu::Report wrongId = report({0x02, 0x00});
    QCOMPARE(hid_write(device, wrongId.data(), wrongId.size()), -1);
    emu::Report short_ = report({0x03, 0x00});
    QCOMPARE(hid_write(device, short_.data(), 19), -1);
}

void TestEmulator::inputReports()
{
    auto wheel = emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    QCOMPARE(hid_set_nonblocking(device, 1), 0);

    Bytes frame(17);
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 0);

    emu::InputReport raw{};
    raw[15] = 0x5A;
    wheel->queueInput(raw);
    wheel->queueInput(raw);
    wheel->setAxes(0x0123, 0x0FED);
    wheel->setHeld(47, true);
    wheel->setHeld(0, true);
    wheel->setHeld(47, false);

    Bytes expectedRaw(17, 0);
    expectedRaw[0] = 0x01;
    expectedRaw[16] = 0x5A;
    for (int twice = 0; twice < 2; ++twice) {
        QCOMPARE(hid_read(device, frame.data(), frame.size()), 17);
        QCOMPARE(frame, expectedRaw);
    }
    const Bytes axes{0x01, 0x23, 0x01, 0xED, 0x0F, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 17);
    QCOMPARE(frame, axes);
    Bytes held = axes;
    held[1 + 4 + 5] = 0x80;
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 17);
    QCOMPARE(frame, held);
    held[1 + 4] = 0x01;
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 17);
    QCOMPARE(frame, held);
    held[1 + 4 + 5] = 0x00;
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 17);
    QCOMPARE(frame, held);
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 0);

    // A short buffer takes the front of the report.
    wheel->setHeld(1, true);
    Bytes front(5);
    QCOMPARE(hid_read(device, front.data(), front.size()), 5);
    QCOMPARE(front, (Bytes{0x01, 0x23, 0x01, 0xED, 0x0F}));
}

void TestEmulator::encoderPulse()
{
    auto wheel = emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    // The live pulse width decides the pulse.
    QCOMPARE(send(device, report({0x02, 0x0C, 0x04, 40})), 20);

    const auto turned = emu::Clock::now();
    wheel->turnEncoder(4);
    wheel->turnEncoder(4);
    Bytes frame;
    const std::vector<std::uint8_t> expected{0x10, 0x00, 0x10, 0x00};
    std::vector<emu::Clock::time_point> times;
    for (std::uint8_t bits : expected) {
        QCOMPARE(readInput(device, frame, 2000), 17);
        times.push_back(emu::Clock::now());
        QCOMPARE(frame[1 + 4], bits);
    }
    // Each pulse lasts at least its width; the second follows the first.
    QVERIFY(times[1] - turned >= 40ms);
    QVERIFY(times[3] - turned >= 80ms);
    QCOMPARE(hid_read_timeout(device, frame.data(), frame.size(), 0), 0);
}

void TestEmulator::blockingReadWakes()
{
    auto wheel = emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    std::thread presser([wheel] {
        std::this_thread::sleep_for(30ms);
        wheel->setHeld(8, true);
    });
    Bytes frame(17);
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 17);
    presser.join();
    QCOMPARE(frame[1 + 5], std::uint8_t{0x01});
}

void TestEmulator::battery_data()
{
    QTest::addColumn<emu::Model>("model");
    QTest::addColumn<Bytes>("fresh");

    QTest::newRow("RALKA") << emu::Model::Ralka << Bytes{0x02, 0x0F, 80, 0x6E, 0x0F};
    QTest::newRow("SOVIN") << emu::Model::Sovin << Bytes{0x02, 0x0F, 80, 0x6E, 0x0F};
    QTest::newRow("DEMTA on USB") << emu::Model::Demta << Bytes{0x02, 0x0F, 100, 0x88, 0x13};
}

void TestEmulator::battery()
{
    QFETCH(emu::Model, model);
    QFETCH(Bytes, fresh);

    auto wheel = emu::plug(model, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    const emu::Report answer = query(device, {0x02, 0x0B, 0x0F});
    QCOMPARE(Bytes(answer.begin(), answer.begin() + 5), fresh);

    wheel->setBattery(255, 4300);
    const emu::Report changed = query(device, {0x02, 0x0B, 0x0F});
    QCOMPARE(Bytes(changed.begin(), changed.begin() + 5), (Bytes{0x02, 0x0F, 255, 0xCC, 0x10}));
}

void TestEmulator::flashClearing()
{
    emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    QCOMPARE(send(device, report({0x02, 0x0C, 0x04, 0xF0, 0, 0, 0, 0xEF})), 20);
    QCOMPARE(send(device, report({0x02, 0x0C, 0x08, 0xFF, 0, 0, 0, 0xEF})), 20);
    QCOMPARE(send(device, report({0x02, 0x0A, 0xC9, 0xEF, 0x00, 1, 2, 3, 4, 5, 6, 7, 8})), 20);
    emu::Report black = report({0x03, 0x01});
    QCOMPARE(hid_write(device, black.data(), black.size()), 20);
    QCOMPARE(send(device, report({0x02, 0x0E})), 20);
    QCOMPARE(query(device, {0x02, 0x0B, 0x01})[2], std::uint8_t{0x00});

    QCOMPARE(send(device, report({0x02, 0x0C, 0x10})), 20);

    QCOMPARE(int32At(query(device, {0x02, 0x0B, 0x0C, 0x04}), 3), 100);
    QCOMPARE(int32At(query(device, {0x02, 0x0B, 0x0C, 0x08}), 3), 1);
    QCOMPARE(bytesOf(query(device, {0x02, 0x0B, 0x0A})),
             bytesOf(report({0x02, 0x0A, 50, 0, 0, 0x00, 0x10, 0x00, 0x10})));
    QCOMPARE(query(device, {0x02, 0x0B, 0x01})[2], std::uint8_t{0xFF});
}

void TestEmulator::firmwareUpdate()
{
    // Long enough phases that a busy machine still sees each of them.
    emu::setFirmwareTiming({600ms, 600ms});
    auto wheel = emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    QCOMPARE(hid_set_nonblocking(device, 1), 0);
    const Bytes image = imageWithDate(1000, "Jun 30 2025,08:45");

    sendImage(device, image);
    if (QTest::currentTestFailed())
        return;
    Bytes frame(17);
    // Writing: still there, but busy.
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 0);
    QCOMPARE(send(device, report({0x02, 0x0B, 0x09})), -1);

    // Gone: the open handle fails and the wheel cannot be found.
    QTRY_COMPARE_WITH_TIMEOUT(hid_read(device, frame.data(), frame.size()), -1, 3000);
    QCOMPARE(send(device, report({0x02, 0x0B, 0x09})), -1);
    QVERIFY(hid_open(Vendor, Ralka, nullptr) == nullptr);

    // Back with the image's build date.
    hid_device *again = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((again = openRalka()) != nullptr, 3000);
    QCOMPARE(textFrom(query(again, {0x02, 0x0B, 0x09}), 1), QStringLiteral("\tJun 30 2025,08:45"));
    QCOMPARE(wheel->lastImage(), image);
    QCOMPARE(wheel->imagesWritten(), 1);
    QCOMPARE(hid_read(device, frame.data(), frame.size()), -1);
}

void TestEmulator::firmwareRejected_data()
{
    QTest::addColumn<Bytes>("chunkNumbers");
    QTest::addColumn<Bytes>("counts");

    QTest::newRow("out of order") << Bytes{0, 2, 1} << Bytes{16, 16, 16};
    QTest::newRow("chunk skipped") << Bytes{0, 1, 3} << Bytes{16, 16, 16};
    QTest::newRow("chunk repeated") << Bytes{0, 1, 1} << Bytes{16, 16, 16};
    QTest::newRow("short chunk inside") << Bytes{0, 1, 2} << Bytes{16, 8, 16};
    QTest::newRow("count 0") << Bytes{0, 1} << Bytes{16, 0};
    QTest::newRow("count 17") << Bytes{0, 1} << Bytes{16, 17};
    QTest::newRow("no first chunk") << Bytes{1, 2} << Bytes{16, 16};
    QTest::newRow("empty image") << Bytes{} << Bytes{};
}

void TestEmulator::firmwareRejected()
{
    QFETCH(Bytes, chunkNumbers);
    QFETCH(Bytes, counts);

    auto wheel = emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    const QString before = textFrom(query(device, {0x02, 0x0B, 0x09}), 1);

    emu::Report bytes = report({0x02});
    const std::string marker = "NOLKFW:Jun 30 2025,08:45";
    for (std::size_t i = 0; i < chunkNumbers.size(); ++i) {
        bytes[1] = 0x80;
        bytes[2] = chunkNumbers[i];
        bytes[3] = counts[i];
        std::copy_n(marker.begin() + static_cast<std::ptrdiff_t>((i * 8) % 16), 16,
                    bytes.begin() + 4);
        QCOMPARE(send(device, bytes), 20);
    }
    bytes[1] = 0x10;
    QCOMPARE(send(device, bytes), 20);

    QCOMPARE(wheel->imagesRejected(), 1);
    QCOMPARE(wheel->firmwareState(), emu::FirmwareState::Running);
    std::this_thread::sleep_for(150ms);
    QCOMPARE(textFrom(query(device, {0x02, 0x0B, 0x09}), 1), before);
    QCOMPARE(wheel->imagesWritten(), 0);
}

void TestEmulator::unplugging()
{
    auto wheel = emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    QCOMPARE(send(device, report({0x02, 0x0C, 0x04, 0x50, 0, 0, 0, 0xEF})), 20);

    Bytes frame(17);
    std::thread puller([wheel] {
        std::this_thread::sleep_for(30ms);
        wheel->unplug();
    });
    // A reader blocked in hid_read learns of the loss at once.
    QCOMPARE(hid_read(device, frame.data(), frame.size()), -1);
    puller.join();
    QCOMPARE(hid_read_timeout(device, frame.data(), frame.size(), 0), -1);
    QCOMPARE(send(device, report({0x02, 0x0B, 0x0D})), -1);
    emu::Report bytes = report({0x02});
    QCOMPARE(hid_get_feature_report(device, bytes.data(), bytes.size()), -1);
    QCOMPARE(hid_write(device, bytes.data(), bytes.size()), -1);
    QVERIFY(hid_open(Vendor, Ralka, nullptr) == nullptr);

    wheel->replug();
    QCOMPARE(send(device, report({0x02, 0x0B, 0x0D})), -1);
    hid_device *again = openRalka();
    QVERIFY(again);
    QCOMPARE(int32At(query(again, {0x02, 0x0B, 0x0C, 0x04}), 3), 0x50);
}

void TestEmulator::failureInjection()
{
    emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    QCOMPARE(hid_set_nonblocking(device, 1), 0);

    emu::failNext(emu::Transfer::SendFeature, 2);
    const emu::Report bytes = report({0x02, 0x0C, 0x04, 0x50});
    QCOMPARE(send(device, bytes), -1);
    QCOMPARE(send(device, bytes), -1);
    QCOMPARE(send(device, bytes), 20);

    emu::failFrom(emu::Transfer::Read, 2);
    Bytes frame(17);
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 0);
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 0);
    QCOMPARE(hid_read(device, frame.data(), frame.size()), -1);
    QCOMPARE(hid_read(device, frame.data(), frame.size()), -1);
    emu::clearFailures();
    QCOMPARE(hid_read(device, frame.data(), frame.size()), 0);

    emu::setLatency(emu::Transfer::GetFeature, 5ms);
    emu::Report answer = report({0x02});
    const auto before = emu::Clock::now();
    QCOMPARE(hid_get_feature_report(device, answer.data(), answer.size()), 20);
    QVERIFY(emu::Clock::now() - before >= 5ms);
}

void TestEmulator::logAndMisuse()
{
    emu::plug(emu::Model::Ralka, Ralka);
    hid_device *device = openRalka();
    QVERIFY(device);
    emu::clearLog();

    const emu::Report sent = report({0x02, 0x0B, 0x0D});
    QCOMPARE(send(device, sent), 20);
    emu::Report got = report({0x02});
    QCOMPARE(hid_get_feature_report(device, got.data(), got.size()), 20);
    emu::Report leds = report({0x03, 0x02});
    QCOMPARE(hid_write(device, leds.data(), leds.size()), 20);

    const std::vector<emu::LogEntry> log = emu::log();
    QCOMPARE(log.size(), std::size_t{3});
    QCOMPARE(log[0].kind, emu::Transfer::SendFeature);
    QCOMPARE(log[0].bytes, bytesOf(sent));
    QCOMPARE(log[1].kind, emu::Transfer::GetFeature);
    QCOMPARE(log[1].bytes, bytesOf(got));
    QCOMPARE(log[2].kind, emu::Transfer::Write);
    QCOMPARE(log[2].result, 20);
    for (const emu::LogEntry &entry : log) {
        QCOMPARE(entry.productId, Ralka);
        QCOMPARE(entry.thread, std::this_thread::get_id());
    }
    QVERIFY(log[0].time <= log[1].time && log[1].time <= log[2].time);

    // Using a closed handle is caught instead of crashing.
    opened.clear();
    hid_close(device);
    QCOMPARE(send(device, sent), -1);
    hid_close(device);
    QCOMPARE(emu::misuseCount(), 2);
    emu::reset();
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
