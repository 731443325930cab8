#include "app/mainwindow.h"

#include "app/cli/commands.h"
#include "app/dialogs.h"
#include "settings/profilestore.h"
#include "settings/settingssnapshot.h"
#include "ui_mainwindow.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

// The path field's look, for the profile's name field beside it.
const QString ComboStyle = QStringLiteral("QComboBox {\n  color:white;\n  border-radius: 2px;\n"
                                          "  border: 1px solid lightgray;\n}");

} // namespace

// The PROFILE row sits in the free band of the DEVICE page, between the
// update buttons and CLEAR FLASH DATA, in the page's own styles. It is built
// when that page is first shown: most runs never open it, and a start-up
// that reaches the INPUTS page need not pay for it.
void MainWindow::setUpProfileRow()
{
    connect(ui->stackedWidget, &QStackedWidget::currentChanged, this, [this](int page) {
        if (ui->stackedWidget->widget(page) != ui->page4)
            return;
        if (!cbProfile)
            buildProfileRow();
        refreshProfileRow();
    });
    connect(&upgradeThread, &QThread::started, this, &MainWindow::refreshProfileRow);
    connect(&upgradeThread, &QThread::finished, this, &MainWindow::refreshProfileRow);
}

void MainWindow::buildProfileRow()
{
    auto *caption = new QLabel(tr("PROFILE"), ui->page4);
    caption->setObjectName(QStringLiteral("lbProfile"));
    caption->setGeometry(50, 210, 151, 21);
    caption->setStyleSheet(ui->label_4->styleSheet());
    caption->setFont(ui->label_4->font());
    caption->setAlignment(ui->label_4->alignment());

    cbProfile = new QComboBox(ui->page4);
    cbProfile->setObjectName(QStringLiteral("cbProfile"));
    cbProfile->setGeometry(200, 205, 191, 31);
    cbProfile->setEditable(true);
    cbProfile->setInsertPolicy(QComboBox::NoInsert);
    cbProfile->setStyleSheet(ComboStyle);
    cbProfile->setFont(ui->lePath->font());

    pbApplyProfile = new QPushButton(tr("APPLY"), ui->page4);
    pbApplyProfile->setObjectName(QStringLiteral("pbApplyProfile"));
    pbApplyProfile->setGeometry(470, 205, 91, 31);
    pbSaveProfile = new QPushButton(tr("SAVE"), ui->page4);
    pbSaveProfile->setObjectName(QStringLiteral("pbSaveProfile"));
    pbSaveProfile->setGeometry(570, 205, 91, 31);
    for (QPushButton *button : {pbApplyProfile, pbSaveProfile}) {
        button->setStyleSheet(ui->pbUpgrade->styleSheet());
        button->setFont(ui->pbUpgrade->font());
        button->show();
    }
    caption->show();
    cbProfile->show();

    connect(pbApplyProfile, &QPushButton::clicked, this, &MainWindow::onApplyProfile);
    connect(pbSaveProfile, &QPushButton::clicked, this, &MainWindow::onSaveProfile);
}

// The connected model's profiles; the row works only on a connected wheel
// that no upload holds.
void MainWindow::refreshProfileRow()
{
    if (!cbProfile)
        return;
    const bool usable = connected && !upgradeThread.isRunning();
    for (QWidget *widget : {static_cast<QWidget *>(cbProfile), static_cast<QWidget *>(pbApplyProfile),
                            static_cast<QWidget *>(pbSaveProfile)})
        widget->setEnabled(usable);
    const QString typed = cbProfile->currentText();
    const QString model = settingssnapshot::modelOf(deviceName);
    cbProfile->clear();
    for (const profilestore::Entry &entry : profilestore::list()) {
        if (entry.model == model)
            cbProfile->addItem(entry.name);
    }
    cbProfile->setEditText(typed);
}

void MainWindow::onApplyProfile()
{
    if (!connected || upgradeThread.isRunning())
        return;
    const QString name = cbProfile->currentText();
    const bool applied = runCommand([&](cli::Streams streams) {
        return cli::applyProfile(streams, {true, productId}, name);
    });
    showRestoredSettings();
    if (applied)
        dialogs::information(this, tr("Success"), tr("Profile applied."));
    else
        dialogs::critical(this, tr("Error"), tr("Can not save setting."));
}

void MainWindow::onSaveProfile()
{
    if (!connected || upgradeThread.isRunning())
        return;
    const QString name = cbProfile->currentText();
    if (!profilestore::isValidName(name)) {
        dialogs::critical(this, tr("Error"), tr("Not a valid profile name."));
        return;
    }
    if (profilestore::load(name).json &&
        dialogs::question(this, tr("Notify"),
                          tr("The profile \"%1\" exists.\nDo you want to replace it?").arg(name)) !=
            QMessageBox::Yes)
        return;
    const bool saved = runCommand([&](cli::Streams streams) {
        return cli::saveProfile(streams, {true, productId}, name, true);
    });
    refreshProfileRow();
    if (saved)
        dialogs::information(this, tr("Success"), tr("Profile saved."));
    else
        dialogs::critical(this, tr("Error"), tr("Can not save setting."));
}
