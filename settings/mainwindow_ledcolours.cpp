#include "app/mainwindow.h"

#include "app/dialogs.h"
#include "settings/ledimage.h"
#include "settings/storedsettings.h"
#include "ui_mainwindow.h"

#include <QAbstractButton>
#include <QDebug>

void MainWindow::onColorPick()
{
    auto *button = qobject_cast<QAbstractButton *>(sender());
    if (!button)
        return;
    QColor color = dialogs::getColor(ledButtonColor(button, false));
    if (!color.isValid())
        return;
    setLedButtonColor(button, color);
    sendLedColors(false);
}

void MainWindow::onSaveColor()
{
    if (sendLedColors(true))
        dialogs::information(this, tr("Success"), tr("LED colors saved."));
    else
        dialogs::critical(this, tr("Error"), tr("Can not save setting."));
}

void MainWindow::setLedButtonColor(QAbstractButton *button, QColor &color)
{
    color = ledimage::paintedColor(color);
    button->setStyleSheet(ledimage::styleSheetWithColor(button->styleSheet(), color));
}

QColor MainWindow::ledButtonColor(QAbstractButton *button, bool whiteCorrection) const
{
    return ledimage::sentColor(ledimage::styleSheetColor(button->styleSheet()),
                               whiteCorrection && adjustWhite);
}

// Hidden buttons count too: their slots go out with the colours they hold.
bool MainWindow::sendLedColors(bool store)
{
    ledimage::SlotColors colors;
    for (std::size_t slot = 0; slot < ledimage::ButtonSlotCount; ++slot) {
        auto *button = ui->page2->findChild<QAbstractButton *>(ledimage::slotButton(slot));
        colors[slot] =
            button ? ledButtonColor(button, ledimage::slotWhiteCorrected(slot)) : QColor();
    }
    const ledimage::Image image = ledimage::packColors(colors);
    qDebug().noquote() << QByteArray(reinterpret_cast<const char *>(image.data()),
                                     static_cast<qsizetype>(image.size()))
                              .toHex(' ');
    return storedsettings::sendLeds(image, store);
}
