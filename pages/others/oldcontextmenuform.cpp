#include "oldcontextmenuform.h"
#include "ui_oldcontextmenuform.h"

#include "krutils.h"
#include "pagelayout.h"

#include <QVBoxLayout>

OldContextMenuForm::OldContextMenuForm(QWidget *parent)
    : SettingPage(QStringLiteral("Others"), QStringLiteral("context menu"), parent), ui(new Ui::OldContextMenuForm),
      oldMenu(this, 101, classServerSwitch(QStringLiteral("{86ca1aa0-34aa-4e8b-a509-50c905bae2a2}")), 0,
              {{QStringLiteral("Disable (default)"), QStringLiteral("Disable the old context menu (default).")},
               {QStringLiteral("Enable Old Context Menu"), QStringLiteral("Enable the old context menu.")}},
              0)
{
    // The old menu is on or off, never absent: a restore sets the recorded state.
    oldMenu.restoreMayRemove = false;
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->oldContextMenuGroupBox);
    box->addWidget(ui->oldContextMenuDescLabel);
    box->addLayout(pagelayout::captionedPictures(
        {ui->oldContextMenuImage1, ui->oldContextMenuLabel1, ui->oldContextMenuImage2, ui->oldContextMenuLabel2}));
    box->addLayout(pagelayout::row({ui->oldContextMenuComboBox, ui->oldContextMenuPushButton}));
    oldMenu.bind(ui->oldContextMenuComboBox);
    loadSetting();
}

OldContextMenuForm::~OldContextMenuForm()
{
    delete ui;
}

bool OldContextMenuForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(101, fromStored, removeValue, storedValue);
}

void OldContextMenuForm::on_oldContextMenuComboBox_currentIndexChanged(int)
{
    oldMenu.report();
}

void OldContextMenuForm::on_oldContextMenuPushButton_clicked()
{
    oldMenu.setDefault();
}
