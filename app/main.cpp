#include "app/mainwindow.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/nolkset.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("nolkset"));

    int exitCode = 0;
    {
        MainWindow window;
        window.setWindowFlags(Qt::FramelessWindowHint);
        window.show();
        exitCode = app.exec();
    }
    return exitCode;
}
