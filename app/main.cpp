#include "app/mainwindow.h"
#include "app/singleinstance.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/nolkset.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("nolkset"));

    // Before the window opens any wheel: a second copy must leave it alone.
    SingleInstance instance;
    if (!instance.claim()) {
        SingleInstance::tellAlreadyRunning();
        return 1;
    }

    int exitCode = 0;
    {
        MainWindow window;
        window.setWindowFlags(Qt::FramelessWindowHint);
        window.show();
        exitCode = app.exec();
    }
    return exitCode;
}
