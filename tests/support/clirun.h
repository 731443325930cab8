#ifndef NOLKSET_CLIRUN_H
#define NOLKSET_CLIRUN_H

#include "app/cli/commandline.h"
#include "emulator/wheelemulator.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// The command line run in this process, its output caught.
struct Result
{
    int status;
    QString out;
    QString err;
    // When the command line began, for a run beside a window.
    emu::Clock::time_point started{};
};

inline Result runCli(const QStringList &arguments, const QString &folder, bool terminal = false)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = cli::run(QStringList{QStringLiteral("nolkset")} + arguments,
                                {outStream, errStream, terminal}, folder);
    return {status, out, err, {}};
}

#endif
