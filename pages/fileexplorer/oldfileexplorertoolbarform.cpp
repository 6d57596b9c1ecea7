#include "oldfileexplorertoolbarform.h"
#include "ui_oldfileexplorertoolbarform.h"

#include "krutils.h"
#include "pagelayout.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// A picture over its caption, both centred.
QVBoxLayout *captioned(QWidget *picture, QWidget *caption)
{
    auto *pair = new QVBoxLayout;
    pair->addWidget(picture, 0, Qt::AlignHCenter | Qt::AlignTop);
    pair->addWidget(caption, 0, Qt::AlignHCenter | Qt::AlignTop);
    return pair;
}

} // namespace

OldFileExplorerToolbarForm::OldFileExplorerToolbarForm(QWidget *parent)
    : SettingPage(QStringLiteral("File Explorer"), QStringLiteral("old File Explorer toolbar"), parent),
      ui(new Ui::OldFileExplorerToolbarForm),
      toolbar(this, 602, classServerSwitch(QStringLiteral("{d93ed569-3b3e-4bff-8355-3c44f6a52bb5}")), 0,
              {{QStringLiteral("Disable (default)"),
                QStringLiteral("Disable the old File Explorer toolbar style (default).")},
               {QStringLiteral("Enable Old File Explorer Toolbar"),
                QStringLiteral("Enable the old File Explorer toolbar style.")}},
              0)
{
    raiseOnWrite(&restartExplorerPending);
    // The toolbar is on or off, never absent: a restore sets the recorded state.
    toolbar.restoreMayRemove = false;
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->oldFileExplorerToolbarGroupBox);
    box->addWidget(ui->oldFileExplorerToolbarDescLabel);
    auto *pictures = new QVBoxLayout;
    pictures->addLayout(captioned(ui->oldFileExplorerToolbarImage1, ui->oldFileExplorerToolbarLabel1));
    pictures->addSpacing(20);
    pictures->addLayout(captioned(ui->oldFileExplorerToolbarImage2, ui->oldFileExplorerToolbarLabel2));
    auto *column = new QHBoxLayout;
    column->addLayout(pictures);
    column->addStretch(1);
    box->addLayout(column);
    box->addLayout(pagelayout::row({ui->oldFileExplorerToolbarComboBox, ui->oldFileExplorerToolbarPushButton}));
    toolbar.bind(ui->oldFileExplorerToolbarComboBox);
    loadSetting();
}

OldFileExplorerToolbarForm::~OldFileExplorerToolbarForm()
{
    delete ui;
}

bool OldFileExplorerToolbarForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(602, fromStored, removeValue, storedValue);
}

void OldFileExplorerToolbarForm::on_oldFileExplorerToolbarComboBox_currentIndexChanged(int)
{
    toolbar.report();
}

void OldFileExplorerToolbarForm::on_oldFileExplorerToolbarPushButton_clicked()
{
    toolbar.setDefault();
}
