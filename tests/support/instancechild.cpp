// A copy of the tool's start for tst_singleinstance: claims the lock in the
// user's runtime folder as main does, on an isolated settings store with
// scripted dialogs and one emulated wheel, then prints what happened:
//   claimed                    this copy holds the lock (it then exits)
//   raised                     the running copy answered the request to
//                              come to the front
//   box <title>|<text>         a box the copy showed
//   opens <n>                  hid_open calls it made
// Exit code as main's: 0 when the running copy answered, 1 when it did not.

#include "app/alreadyrunning.h"
#include "app/dialogs.h"
#include "app/singleinstance.h"
#include "emulator/wheelemulator.h"
#include "support/testenv.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    testenv::isolate();
    emu::plug(emu::Model::Ralka, 0x2007);
    QTextStream out(stdout);

    SingleInstance instance;
    const bool claimed = instance.claim();
    const bool raised = !claimed && SingleInstance::raiseRunningCopy();
    if (claimed)
        out << "claimed\n";
    else if (raised)
        out << "raised\n";
    else
        alreadyrunning::tell();
    const int code = claimed || raised ? 0 : 1;
    for (const dialogs::ShownBox &box : dialogs::script::boxes())
        out << "box " << box.title << '|' << box.text << '\n';
    out << "opens " << emu::openAttempts().size() << '\n';
    return code;
}
