#include "mycomputerdevicesform.h"
#include "ui_mycomputerdevicesform.h"

#include "krutils.h"
#include "pagelayout.h"

#include <QDebug>

namespace {

// An entry shown while its key, without values, exists in This PC's name space; the stored value is 1
// then, and an absent key marks the setting as missing so that restoring it deletes the key again.
IntStore thisPcEntry(const char *classId)
{
    return registryKey(HKEY_LOCAL_MACHINE,
                       QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace"),
                       QLatin1String(classId), 1, QString(), true);
}

CheckSetting::Texts entryTexts(const QString &entry)
{
    return {QStringLiteral("Show %1 in the Devices and drives section of This PC.").arg(entry),
            QStringLiteral("Hide %1 in the Devices and drives section of This PC (default).").arg(entry)};
}

} // namespace

MyComputerDevicesForm::MyComputerDevicesForm(QWidget *parent)
    : SettingPage(QStringLiteral("File Explorer"),
                  QStringLiteral("devices drives All Control Panel items Recycle Bin This PC file explorer"), parent),
      ui(new Ui::MyComputerDevicesForm),
      controlPanelAll(this, 620, thisPcEntry("{21EC2020-3AEA-1069-A2DD-08002B30309D}"), 0, 1, 0,
                      entryTexts(QStringLiteral("All Control Panel items")), false),
      controlPanel(this, 621, thisPcEntry("{26EE0668-A00A-44D7-9371-BEB064C98683}"), 0, 1, 0,
                   entryTexts(QStringLiteral("Control Panel")), false),
      recycleBin(this, 622, thisPcEntry("{645FF040-5081-101B-9F08-00AA002F954E}"), 0, 1, 0,
                 entryTexts(QStringLiteral("Recycle Bin")), false)
{
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    pagelayout::besidePicture(this, ui->MyComputerIconsGroupBox, ui->MyComputerIconsDescLabel,
                              {{ui->ControlPanelAllLabel, ui->ControlPanelAllCheckBox},
                               {ui->ControlPanelLabel, ui->ControlPanelCheckBox},
                               {ui->RecycleBinLabel, ui->RecycleBinCheckBox}},
                              ui->MyComputerIconsImage, ui->MyComputerIconsPushButton);
    controlPanelAll.bind(ui->ControlPanelAllCheckBox);
    controlPanel.bind(ui->ControlPanelCheckBox);
    recycleBin.bind(ui->RecycleBinCheckBox);
    loadSetting();
}

MyComputerDevicesForm::~MyComputerDevicesForm()
{
    delete ui;
}

bool MyComputerDevicesForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    qDebug() << "MyComputerDevicesForm::writeData";
    if (index == 620 && !fromStored)
        qDebug() << (ui->ControlPanelAllCheckBox->checkState() == Qt::Checked
                         ? "ui->ControlPanelAllCheckBox->checkState()==Qt::Checked"
                         : "ui->ControlPanelAllCheckBox->checkState()==Qt::Unchecked");
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void MyComputerDevicesForm::on_ControlPanelAllCheckBox_stateChanged(int)
{
    controlPanelAll.report();
}

void MyComputerDevicesForm::on_ControlPanelCheckBox_stateChanged(int)
{
    controlPanel.report();
}

void MyComputerDevicesForm::on_RecycleBinCheckBox_stateChanged(int)
{
    recycleBin.report();
}

void MyComputerDevicesForm::on_MyComputerIconsPushButton_clicked()
{
    controlPanelAll.setDefault();
    controlPanel.setDefault();
    recycleBin.setDefault();
}
