#include "appswitchbehaviourform.h"
#include "ui_appswitchbehaviourform.h"

#include "pagelayout.h"
#include "taskbarstores.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

AppSwitchBehaviourForm::AppSwitchBehaviourForm(QWidget *parent)
    : SettingPage(QStringLiteral("Taskbar"), QStringLiteral("Application switching Behaviour"), parent),
      ui(new Ui::AppSwitchBehaviourForm),
      lastActiveClick(this, 2, taskbarstore::advancedDword(QStringLiteral("LastActiveClick")), 0,
                      {{QStringLiteral("Disable (default)"),
                        QStringLiteral("Disable quick switch to the last opened window (default).")},
                       {QStringLiteral("Enable"), QStringLiteral("Enable quick switch to the last opened window.")}},
                      0)
{
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    pagelayout::standard(this, ui->quickSwitchLastOpenGroupBox,
                         {ui->quickSwitchLastOpenDescLabel, ui->quickSwitchLastOpenImage1},
                         {{ui->quickSwitchLastOpenComboBox, ui->quickSwitchLastOpenPushButton}});
    lastActiveClick.bind(ui->quickSwitchLastOpenComboBox);
    loadSetting();
}

AppSwitchBehaviourForm::~AppSwitchBehaviourForm()
{
    delete ui;
}

bool AppSwitchBehaviourForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(2, fromStored, removeValue, storedValue);
}

void AppSwitchBehaviourForm::on_quickSwitchLastOpenComboBox_currentIndexChanged(int)
{
    lastActiveClick.report();
}

void AppSwitchBehaviourForm::on_quickSwitchLastOpenPushButton_clicked()
{
    lastActiveClick.setDefault();
}
