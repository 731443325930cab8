#ifndef NOLKSET_DIALOGS_H
#define NOLKSET_DIALOGS_H

#include <QColor>
#include <QList>
#include <QMessageBox>
#include <QString>

// Every modal dialog of the program goes through these functions. The shipped
// program shows the real dialog; tests script the answers instead, so no test
// blocks on a box and every box shown can be checked.
namespace dialogs {

QMessageBox::StandardButton critical(QWidget *parent, const QString &title, const QString &text);
QMessageBox::StandardButton information(QWidget *parent, const QString &title, const QString &text);
QMessageBox::StandardButton warning(QWidget *parent, const QString &title, const QString &text);
// Buttons Yes and No; Escape answers No.
QMessageBox::StandardButton question(QWidget *parent, const QString &title, const QString &text);

// The standard colour dialog: no parent, empty title, default options.
// An invalid colour means the dialog was cancelled.
QColor getColor(const QColor &initial);

// The file-open dialog: no parent, empty caption and start folder.
// An empty text means the dialog was cancelled.
QString getOpenFileName(const QString &filter);

struct ShownBox
{
    QMessageBox::Icon icon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
};

// Test hook: while scripted, no dialog is shown. Each box takes the next
// queued button (by default the box's only button, or No for a question),
// each colour dialog the next queued colour (by default cancelled) and each
// file dialog the next queued path (by default cancelled).
namespace script {
void setEnabled(bool enabled);
void queueButton(QMessageBox::StandardButton button);
void queueColor(const QColor &color);
void queuePath(const QString &path);
QList<ShownBox> boxes();
int colorDialogs();
int fileDialogs();
// Forgets queued answers and what was shown.
void reset();
} // namespace script

} // namespace dialogs

#endif
