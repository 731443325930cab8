#ifndef NOLKSET_SINGLEINSTANCE_H
#define NOLKSET_SINGLEINSTANCE_H

#include <QLockFile>
#include <QString>

// Keeps a second copy of the tool from talking to the wheel while the first
// one does: two firmware uploads at once can ruin the wheel's firmware. The
// copy that claims the lock file holds it until this object is destroyed. A
// lock left behind by a copy that crashed is taken over, as its process is
// gone.
class SingleInstance
{
public:
    // The lock lives in folder; by default in the user's own runtime folder.
    explicit SingleInstance(const QString &folder = defaultFolder());

    // False only when another running copy holds the lock. When no lock can
    // be made at all (folder missing or not writable) the debug output says
    // so and the copy runs unguarded rather than not at all.
    bool claim();

    QString lockPath() const;

    // The per-user runtime folder; the temporary folder, which is per user,
    // on Windows. Empty when there is none: the copy then runs unguarded.
    static QString defaultFolder();

    // What a second start of the window does first: asks the running copy
    // whose lock lives in folder to come to the front. False when it did not
    // answer within 2 s.
    static bool raiseRunningCopy(const QString &folder = defaultFolder());

private:
    QLockFile lock;
};

#endif
