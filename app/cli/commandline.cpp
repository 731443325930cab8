#include "app/cli/commandline.h"

#include "app/cli/commands.h"
#include "app/cli/windowclient.h"
#include "app/singleinstance.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <algorithm>

namespace cli {

namespace {

const QString ListName = QStringLiteral("list");
const QString ShowName = QStringLiteral("show");
const QString BackupName = QStringLiteral("backup");
const QString RestoreName = QStringLiteral("restore");
const QString FlashName = QStringLiteral("flash");
const QString ProfilesName = QStringLiteral("profiles");
const QString SaveProfileName = QStringLiteral("save-profile");
const QString ApplyProfileName = QStringLiteral("apply-profile");
const QString DeleteProfileName = QStringLiteral("delete-profile");
const QString HistoryName = QStringLiteral("history");

// A command the window carries out may wait for its own transfers first.
constexpr int WindowAnswerMs = 60000;

// Qt's own options for a window (-platform offscreen, --style=fusion ...):
// they start the window, any other option-like word is a mistake.
const QStringList QtWindowOptions = {
    QStringLiteral("platform"),      QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"), QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),  QStringLiteral("reverse"),
    QStringLiteral("session"),       QStringLiteral("style"),
    QStringLiteral("stylesheet"),    QStringLiteral("widgetcount"),
    QStringLiteral("display"),       QStringLiteral("geometry"),
    QStringLiteral("title"),         QStringLiteral("name"),
    QStringLiteral("nograb"),        QStringLiteral("dograb"),
    QStringLiteral("sync"),          QStringLiteral("qmljsdebugger"),
    QStringLiteral("fn"),            QStringLiteral("font"),
    QStringLiteral("bg"),            QStringLiteral("background"),
    QStringLiteral("fg"),            QStringLiteral("foreground"),
    QStringLiteral("btn"),           QStringLiteral("button"),
    QStringLiteral("im"),            QStringLiteral("inputstyle"),
    QStringLiteral("visual"),        QStringLiteral("ncols"),
    QStringLiteral("cmap"),          QStringLiteral("testability"),
};

const QString ExitStatuses =
    QStringLiteral("\nExit status:\n"
                   "  0  done; for --restore, the wheel read back every value stored\n"
                   "  1  no wheel is connected, or none answered\n"
                    "  2  the options make no command (an unknown option, a bad profile name, a\n"
                   "     profile that exists without --force)\n"
                   "  3  the file or profile was refused, missing, or cannot be read or written;\n"
                   "     nothing was sent\n"
                   "  4  the wheel, or this computer's calibration store, did not take a transfer\n"
                   "  5  --restore or --apply-profile read back other values than it stored\n"
                   "  6  another running copy of NolkSet holds the wheel and cannot do the work\n"
                   "\nWhile the NolkSet window runs, every command but --flash is carried out by\n"
                   "the window with its wheel.\n");

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
    QCommandLineOption profiles{{QStringLiteral("p"), ProfilesName},
                                QStringLiteral("Lists the saved profiles: name, model and date.")};
    QCommandLineOption saveProfile{SaveProfileName,
                                   QStringLiteral("Saves the wheel's settings as the profile "
                                                  "<name>."),
                                   QStringLiteral("name")};
    QCommandLineOption applyProfile{ApplyProfileName,
                                    QStringLiteral("Stores the profile <name> on the wheel and "
                                                   "reads it back."),
                                    QStringLiteral("name")};
    QCommandLineOption deleteProfile{DeleteProfileName,
                                     QStringLiteral("Deletes the profile <name>."),
                                     QStringLiteral("name")};
    QCommandLineOption force{QStringLiteral("force"),
                             QStringLiteral("Lets --save-profile replace a profile.")};
    QCommandLineOption history{HistoryName,
                               QStringLiteral("Shows the firmware updates made with the window, "
                                              "newest first.")};

    QList<QCommandLineOption> all() const
    {
        return {help,     version,     list,         show,          backup,        restore,
                flash,    profiles,    saveProfile,  applyProfile,  deleteProfile, force,
                history};
    }
    QList<QCommandLineOption> commands() const
    {
        return {list,         show,         backup,        restore, flash, profiles, saveProfile,
                applyProfile, deleteProfile, history};
    }
};

// An argument in the form of our options: "--word" or "-x".
bool looksLikeOption(const QString &argument)
{
    const QString name = argument.section(QLatin1Char('='), 0, 0);
    if (name.startsWith(QLatin1String("--")))
        return name.size() > 2 && !QtWindowOptions.contains(name.mid(2));
    return name.size() == 2 && name.at(0) == QLatin1Char('-') && name.at(1).isLetter();
}

} // namespace

bool isCommandLine(const QStringList &arguments)
{
    return std::any_of(arguments.begin() + std::min<qsizetype>(1, arguments.size()),
                       arguments.end(), looksLikeOption);
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
        return fail(streams, Usage,
                    parser.errorText() +
                        QStringLiteral("\nUsage: nolkset [options]; see --help"));
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
    QList<QCommandLineOption> chosen;
    for (const QCommandLineOption &command : options.commands()) {
        if (parser.isSet(command))
            chosen << command;
    }
    if (chosen.size() != 1 || parser.values(chosen.constFirst()).size() > 1)
        return fail(streams, Usage, QStringLiteral("give exactly one command; see --help"));
    request::Request wanted{chosen.constFirst().names().constLast(),
                             parser.value(chosen.constFirst()), parser.isSet(options.force)};
    if (wanted.force && wanted.command != SaveProfileName)
        return fail(streams, Usage, QStringLiteral("--force goes with --save-profile only"));

    // The log is only read: the running window may go on writing it.
    if (chosen.constFirst().names().constLast() == HistoryName)
        return showHistory(streams);

    // Two copies on one wheel would mix their queries' answers, and two
    // uploads would ruin its firmware.
    SingleInstance instance(lockFolder);
    if (wanted.command == FlashName) {
        if (!instance.claim())
            return fail(streams, WheelInUse,
                        QStringLiteral("the NolkSet window is running and holds the wheel; "
                                       "update the firmware with its MANUAL UPDATE on the DEVICE "
                                       "page, or close it first"));
        return flashFirmware(streams, wanted.argument);
    }
    // The window runs elsewhere: it gets files by their full path.
    if (wanted.command == BackupName || wanted.command == RestoreName)
        wanted.argument = QFileInfo(wanted.argument).absoluteFilePath();
    if (const std::optional<request::Answer> answer =
            windowclient::ask(request::serverName(lockFolder), wanted, WindowAnswerMs)) {
        streams.out << answer->out;
        streams.err << answer->err;
        streams.out.flush();
        streams.err.flush();
        return answer->status;
    }
    if (!instance.claim())
        return fail(streams, WheelInUse,
                    QStringLiteral("another copy of NolkSet is running and holds the wheel; "
                                   "close it first"));
    return execute(wanted, streams, Host{});
}

int fail(Streams streams, int status, const QString &reason)
{
    streams.err << "nolkset: " << reason << '\n';
    streams.err.flush();
    return status;
}

} // namespace cli
