#include "app/mainwindow.h"

#include "app/cli/commands.h"
#include "app/commandserver.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QTextStream>

bool MainWindow::serveCommands(const QString &folder)
{
    if (!commandServer)
        commandServer = new CommandServer(
            [this](const request::Request &request) { return carryOut(request); }, this);
    return commandServer->listen(request::serverName(folder));
}

request::Answer MainWindow::carryOut(const request::Request &request)
{
    if (request.command == request::Raise) {
        raiseWindow();
        return {};
    }
    // The upload owns the wheel until the image is written; a query between
    // its chunks could spoil the image.
    if (upgradeThread.isRunning())
        return {cli::WheelInUse, QString(),
                QStringLiteral("nolkset: the NolkSet window is updating the wheel's firmware; "
                               "try again when it has finished\n")};
    request::Answer answer;
    QTextStream out(&answer.out);
    QTextStream err(&answer.err);
    answer.status = cli::execute(request, {out, err, false}, {true, connected ? productId : 0});
    out.flush();
    err.flush();
    if (connected && (request.command == QLatin1String("restore") ||
                      request.command == QLatin1String("apply-profile")))
        showRestoredSettings();
    refreshProfileRow();
    return answer;
}

void MainWindow::raiseWindow()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

bool MainWindow::runCommand(const std::function<int(cli::Streams)> &command)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = command({outStream, errStream, false});
    errStream.flush();
    if (status != cli::Success)
        qDebug().noquote() << err.trimmed();
    return status == cli::Success;
}
