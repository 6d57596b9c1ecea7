#include "taskmanagerdisableform.h"
#include "ui_taskmanagerdisableform.h"

#include "pagelayout.h"

TaskManagerDisableForm::TaskManagerDisableForm(QWidget *parent)
    : SettingPage(QStringLiteral("System"), QStringLiteral("Task Manager Option Ctrl+Alt+Del Ctrl Alt Del screen"),
                  parent),
      ui(new Ui::TaskManagerDisableForm),
      taskManager(this, 510,
                  registryDword(HKEY_CURRENT_USER,
                                QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System"),
                                QStringLiteral("DisableTaskMgr")),
                  0,
                  {{QStringLiteral("Show the Task Manager Option (Default)"),
                    QStringLiteral("Show the Task Manager Option (Default).")},
                   {QStringLiteral("Hide the Task Manager Option"), QStringLiteral("Hide the Task Manager Option.")}},
                  0)
{
    ui->setupUi(this);
    pagelayout::standard(
        this, ui->TaskManagerDisableGroupBox,
        {ui->TaskManagerDisableDescLabel, ui->TaskManagerDisableDescLabel2, ui->TaskManagerDisableImage},
        {{ui->TaskManagerDisableComboBox, ui->TaskManagerDisablePushButton}});
    taskManager.bind(ui->TaskManagerDisableComboBox);
    loadSetting();
}

TaskManagerDisableForm::~TaskManagerDisableForm()
{
    delete ui;
}

bool TaskManagerDisableForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(510, fromStored, removeValue, storedValue);
}

void TaskManagerDisableForm::on_TaskManagerDisableComboBox_currentIndexChanged(int)
{
    taskManager.report();
}

void TaskManagerDisableForm::on_TaskManagerDisablePushButton_clicked()
{
    taskManager.setDefault();
}
