#ifndef NOLKSET_PERMISSIONHINT_H
#define NOLKSET_PERMISSIONHINT_H

#include <QString>

#include <cstdint>

class QWidget;

// A wheel on the bus that cannot be opened (no permission for its device
// node, or another program holds it) would otherwise leave the window
// waiting without a word. After a search that opened no wheel, check() tells
// the user once per run which wheel was found and how to let the tool open
// it; the search goes on retrying as before.
class PermissionHint
{
public:
    void check(QWidget *window);

private:
    // The same node listed but unopened on two searches in a row: udev may
    // still be setting the access rights of a wheel that just appeared.
    QString lastPath;
    std::uint64_t lastGeneration = 0;
    bool seenBefore = false;
    bool shown = false;
};

#endif
