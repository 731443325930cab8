// Draws the program's pictures: nolkset_imagegen <app folder>
// writes <app folder>/img/*.png and <app folder>/icon/nolkset.{png,ico}.

#include "app/modellayout.h"
#include "brandart.h"
#include "wheelcontrols.h"
#include "wheelpicture.h"

#include "ui_mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QImageWriter>
#include <QMainWindow>
#include <QTextStream>

#include <vector>

namespace {

// 8-bit RGBA, whatever the drawing held.
bool save(const QImage &image, const QString &path, const char *format)
{
    QImageWriter writer(path, format);
    if (writer.write(image.convertToFormat(QImage::Format_ARGB32)))
        return true;
    QTextStream(stderr) << "cannot write " << path << ": " << writer.errorString() << '\n';
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    // The form is only measured, never shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: nolkset_imagegen <app folder>\n";
        return 2;
    }
    const QDir app(arguments.at(1));
    if (!app.mkpath(QStringLiteral("img")) || !app.mkpath(QStringLiteral("icon"))) {
        QTextStream(stderr) << "cannot create the folders under " << app.path() << '\n';
        return 1;
    }
    const QString img = app.filePath(QStringLiteral("img/"));
    const QString icon = app.filePath(QStringLiteral("icon/"));

    QMainWindow window;
    Ui::MainWindow form;
    form.setupUi(&window);

    struct Output
    {
        QImage image;
        QString path;
        const char *format;
    };
    std::vector<Output> outputs = {
        {drawHeadStrip(), img + QStringLiteral("head.png"), "png"},
        {drawLogoMark(128), img + QStringLiteral("logo.png"), "png"},
        {drawCloseButton(false), img + QStringLiteral("close.png"), "png"},
        {drawCloseButton(true), img + QStringLiteral("closeh.png"), "png"},
        {drawAboutArtwork(), img + QStringLiteral("about.png"), "png"},
        {drawMinimiseButton(), img + QStringLiteral("min.png"), "png"},
        {drawLogoMark(400), img + QStringLiteral("nolk.png"), "png"},
        {drawLogoMark(48), icon + QStringLiteral("nolkset.png"), "png"},
        {drawLogoMark(48), icon + QStringLiteral("nolkset.ico"), "ico"},
    };
    for (const modelprofile::Profile &profile : modelprofile::profiles()) {
        const modellayout::Layout &layout = modellayout::of(profile);
        const std::vector<WheelControl> controls =
            wheelControls(profile, layout, *form.page1, *form.page2);
        outputs.push_back({drawWheelPicture(profile, controls), img + layout.pictureFile, "png"});
    }
    for (const Output &output : outputs) {
        if (!save(output.image, output.path, output.format))
            return 1;
    }
    return 0;
}
