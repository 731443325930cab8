#include "device/modelprofile.h"

#include "ui_mainwindow.h"

#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QPointF>
#include <QTest>
#include <QtEndian>

#include <algorithm>

// The pictures are compiled into the program; style sheets stretch them over
// their widgets, so their sizes and pixel format are fixed, and every place
// where the window lights an indicator or offers an LED colour must lie on a
// control drawn in the model's picture.
//
// The drawing tool paints controls only in strong colours and everything else
// (background, rim, grips, plate, markings) only in neutral greys, so a pixel
// belongs to a control when its largest and smallest channels lie far apart.

namespace {

struct PngHeader
{
    bool valid = false;
    quint32 width = 0;
    quint32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
};

// The IHDR chunk must follow the signature directly.
PngHeader readPngHeader(const QByteArray &file)
{
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    PngHeader header;
    if (file.size() < 33 || !file.startsWith(signature) ||
        file.mid(8, 8) != QByteArray("\0\0\0\x0dIHDR", 8))
        return header;
    const auto *bytes = reinterpret_cast<const uchar *>(file.constData());
    header.valid = true;
    header.width = qFromBigEndian<quint32>(bytes + 16);
    header.height = qFromBigEndian<quint32>(bytes + 20);
    header.bitDepth = bytes[24];
    header.colourType = bytes[25];
    return header;
}

QByteArray pngWith(int bitDepth, int colourType)
{
    QByteArray file("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    file += QByteArray::fromHex("000000300000001e");
    file += char(bitDepth);
    file += char(colourType);
    file += QByteArray(7, '\0');
    return file;
}

constexpr int controlMinChroma = 60;
constexpr int probeRadius = 3;

bool isControlPixel(QRgb pixel)
{
    const int high = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    const int low = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    return high - low >= controlMinChroma;
}

// The whole neighbourhood of a spot, not just its centre pixel.
bool liesOnControl(const QImage &picture, QPoint centre)
{
    for (int dy = -probeRadius; dy <= probeRadius; ++dy) {
        for (int dx = -probeRadius; dx <= probeRadius; ++dx) {
            const QPoint at = centre + QPoint(dx, dy);
            if (!picture.rect().contains(at) || !isControlPixel(picture.pixel(at)))
                return false;
        }
    }
    return true;
}

// The pictures are drawn at 1280 x 720 and shown at 640 x 365 with their
// top-left corner at (61, 9) of the page.
QPoint picturePixel(const QRect &pageGeometry)
{
    const QPointF centre = QRectF(pageGeometry).center();
    return QPoint(qRound((centre.x() - 61) * 2), qRound((centre.y() - 9) * 720 / 365));
}

QRect placed(const QWidget &widget, const std::vector<WidgetPosition> &positions)
{
    QRect geometry = widget.geometry();
    for (const WidgetPosition &position : positions) {
        if (position.objectName == widget.objectName())
            geometry.moveTopLeft(QPoint(position.x, position.y));
    }
    return geometry;
}

bool startsWithAny(const QString &name, std::initializer_list<const char *> prefixes)
{
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const char *prefix) { return name.startsWith(QLatin1String(prefix)); });
}

const ModelProfile *profileNamed(const QString &modelName)
{
    for (const ModelProfile &profile : modelProfiles()) {
        if (profile.modelName == modelName)
            return &profile;
    }
    return nullptr;
}

} // namespace

class TestImages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void pngHeaderReader_data();
    void pngHeaderReader();
    void resourceFormat_data();
    void resourceFormat();
    void indicatorsLieOnControls_data();
    void indicatorsLieOnControls();
    void controlColoursAreRare_data();
    void controlColoursAreRare();

private:
    QMainWindow m_window;
    Ui::MainWindow m_form;
};

void TestImages::initTestCase()
{
    m_form.setupUi(&m_window);
}

void TestImages::pngHeaderReader_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("bitDepth");
    QTest::addColumn<int>("colourType");

    QTest::newRow("rgba 8") << pngWith(8, 6) << true << 8 << 6;
    QTest::newRow("rgba 16") << pngWith(16, 6) << true << 16 << 6;
    QTest::newRow("rgb 8") << pngWith(8, 2) << true << 8 << 2;
    QTest::newRow("palette") << pngWith(8, 3) << true << 8 << 3;
    QTest::newRow("empty") << QByteArray() << false << 0 << 0;
    QTest::newRow("cut inside IHDR") << pngWith(8, 6).left(30) << false << 0 << 0;
    QByteArray wrongSignature = pngWith(8, 6);
    wrongSignature[1] = 'J';
    QTest::newRow("wrong signature") << wrongSignature << false << 0 << 0;
    QByteArray otherChunk = pngWith(8, 6);
    otherChunk.replace(12, 4, "gAMA");
    QTest::newRow("IHDR not first") << otherChunk << false << 0 << 0;
}

void TestImages::pngHeaderReader()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, valid);
    QFETCH(int, bitDepth);
    QFETCH(int, colourType);

    const PngHeader header = readPngHeader(file);
    QCOMPARE(header.valid, valid);
    QCOMPARE(header.bitDepth, bitDepth);
    QCOMPARE(header.colourType, colourType);
    if (valid) {
        QCOMPARE(header.width, 48u);
        QCOMPARE(header.height, 30u);
    }
}

void TestImages::resourceFormat_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    QTest::newRow("head") << ":/img/head.png" << 2000 << 131;
    QTest::newRow("logo") << ":/img/logo.png" << 128 << 128;
    QTest::newRow("close") << ":/img/close.png" << 32 << 32;
    QTest::newRow("closeh") << ":/img/closeh.png" << 32 << 32;
    QTest::newRow("about") << ":/img/about.png" << 800 << 250;
    QTest::newRow("back.ralka") << ":/img/back.ralka.png" << 1280 << 720;
    QTest::newRow("back.demta") << ":/img/back.demta.png" << 1280 << 720;
    QTest::newRow("back.sovin") << ":/img/back.sovin.png" << 1280 << 720;
    QTest::newRow("min") << ":/img/min.png" << 32 << 32;
    QTest::newRow("nolk") << ":/img/nolk.png" << 400 << 400;
    QTest::newRow("icon") << ":/icon/nolkset.png" << 48 << 48;
}

void TestImages::resourceFormat()
{
    QFETCH(QString, resource);
    QFETCH(int, width);
    QFETCH(int, height);

    QFile file(resource);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(resource));
    const QByteArray bytes = file.readAll();
    const PngHeader header = readPngHeader(bytes);
    QVERIFY(header.valid);
    QCOMPARE(header.width, quint32(width));
    QCOMPARE(header.height, quint32(height));
    QCOMPARE(header.bitDepth, 8);
    QCOMPARE(header.colourType, 6);

    // The whole file decodes, not just its header.
    const QImage image = QImage::fromData(bytes, "PNG");
    QCOMPARE(image.size(), QSize(width, height));
    QVERIFY(image.hasAlphaChannel());
}

void TestImages::indicatorsLieOnControls_data()
{
    QTest::addColumn<QString>("modelName");

    for (const ModelProfile &profile : modelProfiles())
        QTest::newRow(qPrintable(profile.modelName)) << profile.modelName;
}

void TestImages::indicatorsLieOnControls()
{
    QFETCH(QString, modelName);
    const ModelProfile *profile = profileNamed(modelName);
    QVERIFY(profile);

    QImage picture(QStringLiteral(":/img/") + profile->pictureFile);
    QCOMPARE(picture.size(), QSize(1280, 720));
    picture = picture.convertToFormat(QImage::Format_ARGB32);

    // Every indicator the model can light, at the profile's place or, where
    // the profile leaves it, at the form's. pbISW1 and pbISW2 are never lit;
    // the extra shifters only light where the model offers them.
    QList<QPair<QString, QRect>> spots;
    const QList<QWidget *> indicators =
        m_form.page1->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (const QWidget *widget : indicators) {
        const QString name = widget->objectName();
        if (!startsWithAny(name, {"pbI", "pbJ", "pbSW"}) || name == QLatin1String("pbISW1") ||
            name == QLatin1String("pbISW2"))
            continue;
        if (name.startsWith(QLatin1String("pbIEx")) && !profile->extraShifterOption)
            continue;
        spots.append({name, placed(*widget, profile->inputPositions)});
    }
    if (!profile->ledPositions.empty()) {
        const QList<QWidget *> ledButtons =
            m_form.page2->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        for (const QWidget *widget : ledButtons) {
            const QString name = widget->objectName();
            const bool dot = name.startsWith(QLatin1String("pbT"));
            if (dot ? profile->ledDots == LedDotVisibility::Shown
                    : startsWithAny(name, {"pbB", "pbD"}))
                spots.append({name, placed(*widget, profile->ledPositions)});
        }
    }
    QVERIFY(spots.size() >= 40);

    QStringList missed;
    for (const auto &[name, geometry] : spots) {
        const QPoint centre = picturePixel(geometry);
        if (!liesOnControl(picture, centre))
            missed.append(QStringLiteral("%1 at %2,%3").arg(name).arg(centre.x()).arg(centre.y()));
    }
    QVERIFY2(missed.isEmpty(), qPrintable(missed.join(QStringLiteral(", "))));
}

void TestImages::controlColoursAreRare_data()
{
    indicatorsLieOnControls_data();
}

// A picture drawn in strong colours all over would pass the test above.
void TestImages::controlColoursAreRare()
{
    QFETCH(QString, modelName);
    const QImage picture = QImage(QStringLiteral(":/img/") + profileNamed(modelName)->pictureFile)
                               .convertToFormat(QImage::Format_ARGB32);
    qint64 controlPixels = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        controlPixels += std::count_if(line, line + picture.width(), isControlPixel);
    }
    const double share = double(controlPixels) / (picture.width() * picture.height());
    QVERIFY2(share > 0.03 && share < 0.3, qPrintable(QString::number(share)));
    QVERIFY(!isControlPixel(picture.pixel(0, 719)));
    QVERIFY(!isControlPixel(picture.pixel(640, 360)));
}

QTEST_MAIN(TestImages)
#include "tst_images.moc"
