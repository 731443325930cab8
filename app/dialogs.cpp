#include "app/dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QQueue>

namespace dialogs {
namespace {

struct Script
{
    bool enabled = false;
    QQueue<QMessageBox::StandardButton> buttons;
    QQueue<QColor> colors;
    QQueue<QString> paths;
    QList<ShownBox> shown;
    int colorDialogs = 0;
    int fileDialogs = 0;
};

Script &state()
{
    static Script script;
    return script;
}

QMessageBox::StandardButton showBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                    const QString &text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton fallback)
{
    Script &s = state();
    if (s.enabled) {
        s.shown.append({icon, title, text, buttons});
        return s.buttons.isEmpty() ? fallback : s.buttons.dequeue();
    }
    QMessageBox box(icon, title, text, buttons, parent);
    if (buttons.testFlag(QMessageBox::No))
        box.setEscapeButton(QMessageBox::No);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

QMessageBox::StandardButton critical(QWidget *parent, const QString &title, const QString &text)
{
    return showBox(parent, QMessageBox::Critical, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

QMessageBox::StandardButton information(QWidget *parent, const QString &title, const QString &text)
{
    return showBox(parent, QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

QMessageBox::StandardButton warning(QWidget *parent, const QString &title, const QString &text)
{
    return showBox(parent, QMessageBox::Warning, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

QMessageBox::StandardButton question(QWidget *parent, const QString &title, const QString &text)
{
    return showBox(parent, QMessageBox::Question, title, text,
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
}

QColor getColor(const QColor &initial)
{
    Script &s = state();
    if (s.enabled) {
        ++s.colorDialogs;
        return s.colors.isEmpty() ? QColor() : s.colors.dequeue();
    }
    return QColorDialog::getColor(initial, nullptr, QString());
}

QString getOpenFileName(const QString &filter)
{
    Script &s = state();
    if (s.enabled) {
        ++s.fileDialogs;
        return s.paths.isEmpty() ? QString() : s.paths.dequeue();
    }
    return QFileDialog::getOpenFileName(nullptr, QString(), QString(), filter);
}

namespace script {

void setEnabled(bool enabled)
{
    state().enabled = enabled;
}

void queueButton(QMessageBox::StandardButton button)
{
    state().buttons.enqueue(button);
}

void queueColor(const QColor &color)
{
    state().colors.enqueue(color);
}

void queuePath(const QString &path)
{
    state().paths.enqueue(path);
}

QList<ShownBox> boxes()
{
    return state().shown;
}

int colorDialogs()
{
    return state().colorDialogs;
}

int fileDialogs()
{
    return state().fileDialogs;
}

void reset()
{
    const bool enabled = state().enabled;
    state() = Script();
    state().enabled = enabled;
}

} // namespace script
} // namespace dialogs
