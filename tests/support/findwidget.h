#ifndef NOLKSET_FINDWIDGET_H
#define NOLKSET_FINDWIDGET_H

#include <QWidget>
#include <QtGlobal>

// A widget of the window's form by object name; a missing one ends the test
// run, as every test relies on the form's names.
template <typename T>
T *child(QWidget &window, const char *name)
{
    T *widget = window.findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

#endif
