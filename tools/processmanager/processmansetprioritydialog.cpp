#include "processmansetprioritydialog.h"
#include "ui_processmansetprioritydialog.h"

#include "processmanagerform.h"
#include "prioritynames.h"
#include "shellhelpers.h"
#include "win32.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

ProcessManSetPriorityDialog::ProcessManSetPriorityDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::ProcessManSetPriorityDialog)
{
    ui->setupUi(this);
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    grid->addWidget(ui->label, 0, 0);
    grid->addWidget(ui->lineEdit, 0, 1);
    grid->addWidget(ui->label_2, 1, 0);
    grid->addWidget(ui->comboBox, 1, 1);
    layout->addLayout(grid);
    layout->addWidget(ui->label_3);
    layout->addWidget(ui->noteLabel1);
    layout->addWidget(ui->noteLabel2);
    layout->addWidget(ui->noteLabel3);
    layout->addSpacing(10);
    layout->addSpacing(10);
    auto *buttons = new QHBoxLayout;
    buttons->setAlignment(Qt::AlignRight);
    buttons->addWidget(ui->priorityPushButton);
    buttons->addWidget(ui->cancelPushButton);
    layout->addLayout(buttons);
    ui->comboBox->addItems(PriorityNames::choices());
}

ProcessManSetPriorityDialog::~ProcessManSetPriorityDialog()
{
    delete ui;
}

void ProcessManSetPriorityDialog::selectCurrentPriority()
{
    ui->lineEdit->setText(applicationName);
    // "Real Time Priority" (and an unreadable class) is not offered: the first entry stays current.
    for (int i = 0; i < ui->comboBox->count(); ++i) {
        if (ui->comboBox->itemText(i) == priorityName) {
            ui->comboBox->setCurrentIndex(i);
            break;
        }
    }
}

void ProcessManSetPriorityDialog::showPriorityError()
{
    MessageBoxW(nullptr, WSTR("Failed to change priority level."), WSTR("Error"), MB_ICONWARNING);
}

void ProcessManSetPriorityDialog::on_priorityPushButton_clicked()
{
    bool changed = false;
    bool sameProcess = true;
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        if (setPrivilege(token, WSTR("SeDebugPrivilege"), true)) {
            if (HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, DWORD(processId))) {
                // Checked on the handle that acts: the listed process may have ended while the dialog was open.
                sameProcess = ProcessManagerForm::isListedProcess(process, imagePath, creationTime);
                if (sameProcess)
                    changed = SetPriorityClass(process, PriorityNames::choiceClass(ui->comboBox->currentIndex()));
                CloseHandle(process);
            }
            setPrivilege(token, WSTR("SeDebugPrivilege"), false);
        }
        CloseHandle(token);
    }
    // The page shows a new class only when the process has it; a refusal is said, and the dialog ends either way.
    if (changed)
        emit priorityLevelChanged(ui->comboBox->currentText());
    else if (!sameProcess)
        ProcessManagerForm::reportIdReused(applicationName, WSTR("Set Priority"));
    else
        showPriorityError();
    finish();
}

void ProcessManSetPriorityDialog::on_cancelPushButton_clicked()
{
    finish();
}

void ProcessManSetPriorityDialog::finish()
{
    // Hidden now, which ends the modal run even where the deferred delete waits for an outer loop.
    hide();
    deleteLater();
}
