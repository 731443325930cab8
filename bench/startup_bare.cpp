// The least a Qt program does to show what the tool shows: a frameless
// 900 x 500 window with the tool's pictures. Ready once it is shown.

#include "bench/readyprobe.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/nolkset.png")));
    QWidget window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    window.setFixedSize(900, 500);
    int x = 0;
    for (const QString &name : QDir(QStringLiteral(":/img")).entryList()) {
        auto *picture = new QLabel(&window);
        picture->setPixmap(QPixmap(QStringLiteral(":/img/") + name));
        picture->move(x, 0);
        x += 60;
    }
    window.show();
    readyprobe::install([&window] { return window.isVisible(); });
    return app.exec();
}
