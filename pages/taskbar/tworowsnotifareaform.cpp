#include "tworowsnotifareaform.h"
#include "ui_tworowsnotifareaform.h"

#include "pagelayout.h"
#include "taskbarstores.h"

#include <QVBoxLayout>

namespace {

// The byte is 1 for one row; any other byte shows as two rows, and two rows are written as 2.
int choiceOfByte(int byte)
{
    return byte == 1 ? 0 : 1;
}

int byteOfChoice(int choice)
{
    return choice != 0 ? 2 : 1;
}

} // namespace

TwoRowsNotifAreaForm::TwoRowsNotifAreaForm(QWidget *parent)
    : SettingPage(QStringLiteral("Taskbar"), QStringLiteral("notification area icons one two rows."), parent),
      ui(new Ui::TwoRowsNotifAreaForm),
      rows(this, 11, taskbarstore::stuckRectsByte(44, choiceOfByte, byteOfChoice), 0,
           {{QStringLiteral("Display notification area icons in one rows (Default)"),
             QStringLiteral("Display notification area icons in one rows (Default).")},
            {QStringLiteral("Display notification area icons in two rows"),
             QStringLiteral("Display notification area icons in two rows.")}},
           0)
{
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->TwoRowsNotifAreaGroupBox);
    box->addWidget(ui->TwoRowsNotifAreaDescLabel);
    box->addLayout(pagelayout::row({ui->TwoRowsNotifAreaImage1, nullptr, ui->TwoRowsNotifAreaImage2}));
    // Each name starts under its own picture.
    ui->TwoRowsNotifAreaLabel1->setFixedWidth(ui->TwoRowsNotifAreaImage1->sizeHint().width());
    box->addLayout(pagelayout::row({ui->TwoRowsNotifAreaLabel1, nullptr, ui->TwoRowsNotifAreaLabel2}));
    box->addLayout(pagelayout::row({ui->TwoRowsNotifAreaComboBox, ui->TwoRowsNotifAreaPushButton}));
    rows.bind(ui->TwoRowsNotifAreaComboBox);
    loadSetting();
}

TwoRowsNotifAreaForm::~TwoRowsNotifAreaForm()
{
    delete ui;
}

bool TwoRowsNotifAreaForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(11, fromStored, removeValue, storedValue);
}

bool TwoRowsNotifAreaForm::writeSetting(int index, bool fromStored, bool, QString storedValue)
{
    return SettingPage::writeSetting(index, fromStored, false, storedValue);
}

void TwoRowsNotifAreaForm::on_TwoRowsNotifAreaComboBox_currentIndexChanged(int)
{
    rows.report();
}

void TwoRowsNotifAreaForm::on_TwoRowsNotifAreaPushButton_clicked()
{
    rows.setDefault();
}
