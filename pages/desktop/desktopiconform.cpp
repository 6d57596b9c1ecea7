#include "desktopiconform.h"
#include "ui_desktopiconform.h"

#include "krutils.h"
#include "pagelayout.h"

#include <QVBoxLayout>

namespace {

const QString iconsKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\NewStartPanel");
// Written and deleted along with the key above, never read.
const QString classicIconsKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\ClassicStartMenu");

// A desktop icon is hidden by 1 and shown by 0, in a value named by its class identifier.
CheckSetting::Texts iconTexts(const QString &icon, bool shownByDefault)
{
    const QString show = QStringLiteral("Show ") + icon + QStringLiteral(" icon on the desktop");
    const QString hide = QStringLiteral("Hide ") + icon + QStringLiteral(" icon on the desktop");
    const QString byDefault = QStringLiteral(" (default).");
    const QString plain = QStringLiteral(".");
    return {show + (shownByDefault ? byDefault : plain), hide + (shownByDefault ? plain : byDefault)};
}

IntStore iconValue(const char *classId)
{
    return registryDword(HKEY_CURRENT_USER, iconsKey, QLatin1String(classId), {classicIconsKey});
}

} // namespace

DesktopIconForm::DesktopIconForm(QWidget *parent)
    : SettingPage(QStringLiteral("Desktop"),
                  QStringLiteral("desktop icon computer user's files network recycle bin control panel"), parent),
      ui(new Ui::DesktopIconForm), computer(this, 200, iconValue("{20D04FE0-3AEA-1069-A2D8-08002B30309D}"), 1, 0, 1,
                                            iconTexts(QStringLiteral("Computer"), false), false),
      usersFiles(this, 201, iconValue("{59031a47-3f72-44a7-89c5-5595fe6b30ee}"), 1, 0, 1,
                 iconTexts(QStringLiteral("User's Files"), false), false),
      network(this, 202, iconValue("{F02C1A0D-BE21-4350-88B0-7367FC96EF3C}"), 1, 0, 1,
              iconTexts(QStringLiteral("Network"), false), false),
      recycleBin(this, 203, iconValue("{645FF040-5081-101B-9F08-00AA002F954E}"), 0, 0, 1,
                 iconTexts(QStringLiteral("Recycle Bin"), true), true),
      controlPanel(this, 204, iconValue("{5399E694-6CE5-4D6C-8FCE-1D8870FDCBA0}"), 1, 0, 1,
                   iconTexts(QStringLiteral("Control Panel"), false), false)
{
    raiseOnWrite(&shellRefreshPending);
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->desktopIconGroupBox);
    box->addWidget(ui->desktopIconDescLabel);
    box->addLayout(pagelayout::row({ui->computerLabel, ui->computerCheckBox}));
    box->addLayout(pagelayout::row({ui->usersFilesLabel, ui->usersFilesCheckBox}));
    box->addLayout(pagelayout::row({ui->networkLabel, ui->networkCheckBox}));
    box->addLayout(pagelayout::row({ui->recycleBinLabel, ui->recycleBinCheckBox}));
    box->addLayout(pagelayout::row({ui->controlPanelLabel, ui->controlPanelCheckBox}));
    box->addLayout(pagelayout::row({ui->DesktopIconPushButton}));

    computer.bind(ui->computerCheckBox);
    usersFiles.bind(ui->usersFilesCheckBox);
    network.bind(ui->networkCheckBox);
    recycleBin.bind(ui->recycleBinCheckBox);
    controlPanel.bind(ui->controlPanelCheckBox);
    loadSetting();
}

DesktopIconForm::~DesktopIconForm()
{
    delete ui;
}

bool DesktopIconForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void DesktopIconForm::on_computerCheckBox_stateChanged(int)
{
    computer.report();
}

void DesktopIconForm::on_usersFilesCheckBox_stateChanged(int)
{
    usersFiles.report();
}

void DesktopIconForm::on_networkCheckBox_stateChanged(int)
{
    network.report();
}

void DesktopIconForm::on_recycleBinCheckBox_stateChanged(int)
{
    recycleBin.report();
}

void DesktopIconForm::on_controlPanelCheckBox_stateChanged(int)
{
    controlPanel.report();
}

void DesktopIconForm::on_DesktopIconPushButton_clicked()
{
    computer.setDefault();
    usersFiles.setDefault();
    network.setDefault();
    recycleBin.setDefault();
    controlPanel.setDefault();
}
