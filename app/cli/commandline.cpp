#include "app/cli/commandline.h"

#include "app/cli/commands.h"
#include "app/singleinstance.h"

#include <QCommandLineParser>

namespace cli {

namespace {

const QString ListName = QStringLiteral("list");
const QString ShowName = QStringLiteral("show");
const QString BackupName = QStringLiteral("backup");
const QString RestoreName = QStringLiteral("restore");
const QString FlashName = QStringLiteral("flash");
const QString HistoryName = QStringLiteral("history");

const QString ExitStatuses =
    QStringLiteral("\nExit status:\n"
                   "  0  done; for --restore, the wheel read back every value stored\n"
                   "  1  no wheel is connected, or none answered\n"
                   "  2  the options make no command\n"
                   "  3  the file was refused, or cannot be read or written; nothing was sent\n"
                   "  4  the wheel, or this computer's calibration store, did not take a transfer\n"
                   "  5  --restore read back other values than it stored\n"
                   "  6  another running copy of NolkSet holds the wheel\n");

struct Options
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Shows this help.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Shows the version of NolkSet.")};
    QCommandLineOption list{{QStringLiteral("l"), ListName},
                            QStringLiteral("Lists every connected wheel: product id, model name, "
                                           "firmware version and device path.")};
    QCommandLineOption show{{QStringLiteral("s"), ShowName},
                            QStringLiteral("Shows the settings the connected wheel keeps.")};
    QCommandLineOption backup{{QStringLiteral("b"), BackupName},
                              QStringLiteral("Saves the wheel's settings to <file> (JSON)."),
                              QStringLiteral("file")};
    QCommandLineOption restore{{QStringLiteral("r"), RestoreName},
                               QStringLiteral("Stores the settings of a backup <file> on the "
                                              "wheel and reads them back."),
                               QStringLiteral("file")};
    QCommandLineOption flash{{QStringLiteral("f"), FlashName},
                             QStringLiteral("Writes the firmware image <file.bin> into the "
                                            "wheel."),
                             QStringLiteral("file.bin")};
    QCommandLineOption history{HistoryName,
                               QStringLiteral("Shows the firmware updates made with the window, "
                                              "newest first.")};

    QList<QCommandLineOption> all() const
    {
        return {help, version, list, show, backup, restore, flash, history};
    }
};

} // namespace

bool isCommandLine(const QStringList &arguments)
{
    const Options options;
    for (const QString &argument : arguments.mid(1)) {
        for (const QCommandLineOption &option : options.all()) {
            for (const QString &name : option.names()) {
                const QString dashed =
                    (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
                if (argument == dashed || argument.startsWith(dashed + QLatin1Char('=')))
                    return true;
            }
        }
    }
    return false;
}

int run(const QStringList &arguments, Streams streams, const QString &lockFolder)
{
    const Options options;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configures Nolk steering wheels. Without options the window starts; "
                       "with one of the options below NolkSet works in the terminal."));
    parser.addOptions(options.all());
    if (!parser.parse(arguments))
        return fail(streams, Usage, parser.errorText());
    if (parser.isSet(options.help)) {
        streams.out << parser.helpText() << ExitStatuses;
        streams.out.flush();
        return Success;
    }
    if (parser.isSet(options.version)) {
        streams.out << "NolkSet " << NOLKSET_VERSION << '\n';
        streams.out.flush();
        return Success;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(streams, Usage,
                    QStringLiteral("unexpected argument \"%1\"; see --help")
                        .arg(parser.positionalArguments().constFirst()));
    const QList<QCommandLineOption> commands = {options.list, options.show, options.backup,
                                                options.restore, options.flash, options.history};
    QList<QCommandLineOption> chosen;
    for (const QCommandLineOption &command : commands) {
        if (parser.isSet(command))
            chosen << command;
    }
    if (chosen.size() != 1 || parser.values(chosen.constFirst()).size() > 1)
        return fail(streams, Usage, QStringLiteral("give exactly one command; see --help"));

    // The log is only read: the running window may go on writing it.
    if (chosen.constFirst().names().constLast() == HistoryName)
        return showHistory(streams);

    // Two copies on one wheel would mix their queries' answers, and two
    // uploads would ruin its firmware.
    SingleInstance instance(lockFolder);
    if (!instance.claim())
        return fail(streams, WheelInUse,
                    QStringLiteral("another copy of NolkSet is running and holds the wheel; "
                                   "close it first"));
    const QString name = chosen.constFirst().names().constLast();
    const QString file = parser.value(chosen.constFirst());
    if (name == ListName)
        return listWheels(streams);
    if (name == ShowName)
        return showSettings(streams);
    if (name == BackupName)
        return backupSettings(streams, file);
    if (name == RestoreName)
        return restoreSettings(streams, file);
    return flashFirmware(streams, file);
}

int fail(Streams streams, int status, const QString &reason)
{
    streams.err << "nolkset: " << reason << '\n';
    streams.err.flush();
    return status;
}

} // namespace cli
