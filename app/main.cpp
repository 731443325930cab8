#include "app/alreadyrunning.h"
#include "app/cli/commandline.h"
#include "app/cli/terminal.h"
#include "app/debugoutput.h"
#include "app/mainwindow.h"
#include "app/singleinstance.h"

#include <QApplication>
#include <QIcon>

namespace {

int runCommandLine(int argc, char *argv[])
{
    terminal::useParentConsole();
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return cli::run(QCoreApplication::arguments(), {out, err, terminal::stderrIsTerminal()},
                    SingleInstance::defaultFolder());
}

} // namespace

int main(int argc, char *argv[])
{
    // The window and the command line share the user's files (backups, the
    // update log) in the application data folder these names make.
    QCoreApplication::setOrganizationName(QStringLiteral("Nolk Controls"));
    QCoreApplication::setApplicationName(QStringLiteral("NolkSet"));

    // A command needs no display: it runs without the window's application.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (cli::isCommandLine(arguments))
        return runCommandLine(argc, argv);

    QApplication app(argc, argv);
    debugoutput::install();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon/nolkset.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("nolkset"));

    // Before the window opens any wheel: a second copy must leave it alone.
    SingleInstance instance;
    if (!instance.claim()) {
        if (SingleInstance::raiseRunningCopy())
            return 0;
        alreadyrunning::tell();
        return 1;
    }

    int exitCode = 0;
    {
        MainWindow window;
        window.setWindowFlags(Qt::FramelessWindowHint);
        window.show();
        window.serveCommands(SingleInstance::defaultFolder());
        exitCode = app.exec();
    }
    return exitCode;
}
