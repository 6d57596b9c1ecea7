#include "navigationpaneform.h"
#include "ui_navigationpaneform.h"

#include "krutils.h"
#include "pagelayout.h"

#include <QPixmap>

namespace {

const QString desktopNameSpace =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace");

CheckSetting::Texts paneTexts(const QString &entry)
{
    return {QStringLiteral("Show %1 icons from File Explorer's navigation pane (default).").arg(entry),
            QStringLiteral("Hide %1 icons from File Explorer's navigation pane.").arg(entry)};
}

// An entry shown while its key exists under the desktop's name space; the key's default value names it.
// The stored value is 0 while it is shown. An absent key is a state of its own, not a failed read.
IntStore nameSpaceEntry(const char *classId, const QString &name)
{
    return registryKey(HKEY_CURRENT_USER, desktopNameSpace, QLatin1String(classId), 0, name, false);
}

} // namespace

NavigationPaneForm::NavigationPaneForm(QWidget *parent)
    : SettingPage(QStringLiteral("File Explorer"), QStringLiteral("Navigation Pane Quick access OneDrive Network"),
                  parent),
      ui(new Ui::NavigationPaneForm),
      // Only HubMode is written for Quick access, also when a record is restored: the backup holds no other
      // value, and LaunchTo is the user's own choice of the folder File Explorer opens at.
      quickAccess(this, 604,
                  registryDword(HKEY_LOCAL_MACHINE,
                                QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer"),
                                QStringLiteral("HubMode")),
                  0, 0, 1, paneTexts(QStringLiteral("Quick access")), true),
      oneDrive(this, 605, nameSpaceEntry("{018D5C66-4533-4307-9B53-224DE2ED1FE6}", QStringLiteral("OneDrive")), 1, 0, 1,
               paneTexts(QStringLiteral("OneDrive")), true),
      network(this, 606,
              nameSpaceEntry("{F02C1A0D-BE21-4350-88B0-7367FC96EF3C}", QStringLiteral("Computers and Devices")), 1, 0,
              1, paneTexts(QStringLiteral("Network")), true)
{
    raiseOnWrite(&restartExplorerPending);
    // An entry's key is present or not, never a failed read: a restore sets the recorded state.
    oneDrive.restoreMayRemove = false;
    network.restoreMayRemove = false;
    ui->setupUi(this);
    // From build 22621 the first entry of the pane is Home.
    if (windowsBuildNumber >= 22621) {
        ui->QuickAccessCheckBox->setText(QStringLiteral("Home"));
        ui->QuickAccessLabel->setPixmap(QPixmap(QStringLiteral(":/resources/images/Home.png")));
    }
    pagelayout::besidePicture(this, ui->NavigationPaneGroupBox, ui->NavigationPaneDescLabel,
                              {{ui->QuickAccessLabel, ui->QuickAccessCheckBox},
                               {ui->OneDriveLabel, ui->OneDriveCheckBox},
                               {ui->NetworkLabel, ui->NetworkCheckBox}},
                              ui->NavigationPaneImage, ui->NavigationPanePushButton);
    quickAccess.bind(ui->QuickAccessCheckBox);
    oneDrive.bind(ui->OneDriveCheckBox);
    network.bind(ui->NetworkCheckBox);
    loadSetting();
}

NavigationPaneForm::~NavigationPaneForm()
{
    delete ui;
}

bool NavigationPaneForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void NavigationPaneForm::on_QuickAccessCheckBox_stateChanged(int)
{
    quickAccess.report();
}

void NavigationPaneForm::on_OneDriveCheckBox_stateChanged(int)
{
    oneDrive.report();
}

void NavigationPaneForm::on_NetworkCheckBox_stateChanged(int)
{
    network.report();
}

void NavigationPaneForm::on_NavigationPanePushButton_clicked()
{
    quickAccess.setDefault();
    oneDrive.setDefault();
    network.setDefault();
}
