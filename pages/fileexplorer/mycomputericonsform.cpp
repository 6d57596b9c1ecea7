#include "mycomputericonsform.h"
#include "ui_mycomputericonsform.h"

#include "krutils.h"
#include "pagelayout.h"

namespace {

// A folder is hidden from This PC by 1 in a value named by the folder's class identifier.
IntStore folderValue(const char *classId)
{
    return registryDword(HKEY_CURRENT_USER,
                         QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideMyComputerIcons"),
                         QLatin1String(classId));
}

CheckSetting::Texts folderTexts(const QString &folder)
{
    return {QStringLiteral("Show the %1 folder from This PC (default).").arg(folder),
            QStringLiteral("Hide the %1 folder from This PC.").arg(folder)};
}

} // namespace

MyComputerIconsForm::MyComputerIconsForm(QWidget *parent)
    : SettingPage(QStringLiteral("File Explorer"),
                  QStringLiteral("user folders This PC Desktop Documents Downloads Music Pictures Videos 3d Objects"),
                  parent),
      ui(new Ui::MyComputerIconsForm), desktop(this, 607, folderValue("{B4BFCC3A-DB2C-424C-B029-7FE99A87C641}"), 0, 0,
                                               1, folderTexts(QStringLiteral("Desktop")), true),
      documents(this, 608, folderValue("{D3162B92-9365-467A-956B-92703ACA08AF}"), 0, 0, 1,
                folderTexts(QStringLiteral("Documents")), true),
      downloads(this, 609, folderValue("{088E3905-0323-4B02-9826-5D99428E115F}"), 0, 0, 1,
                folderTexts(QStringLiteral("Downloads")), true),
      music(this, 610, folderValue("{3DFDF296-DBEC-4FB4-81D1-6A3438BCF4DE}"), 0, 0, 1,
            folderTexts(QStringLiteral("Music")), true),
      pictures(this, 611, folderValue("{24AD3AD4-A569-4530-98E1-AB02F9417AA8}"), 0, 0, 1,
               folderTexts(QStringLiteral("Pictures")), true),
      videos(this, 612, folderValue("{F86FA3AB-70D2-4FC7-9C99-FCBF05467F3A}"), 0, 0, 1,
             folderTexts(QStringLiteral("Videos")), true),
      objects3d(this, 613, folderValue("{0DB7E03F-FC29-4DC6-9020-FF41B59E513A}"), 0, 0, 1,
                folderTexts(QStringLiteral("3D Objects")), true)
{
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    pagelayout::besidePicture(this, ui->MyComputerIconsGroupBox, ui->MyComputerIconsDescLabel,
                              {{ui->_3dObjectsLabel, ui->_3dObjectsCheckBox},
                               {ui->DesktopLabel, ui->DesktopCheckBox},
                               {ui->DocumentsLabel, ui->DocumentsCheckBox},
                               {ui->DownloadsLabel, ui->DownloadsCheckBox},
                               {ui->MusicLabel, ui->MusicCheckBox},
                               {ui->PicturesLabel, ui->PicturesCheckBox},
                               {ui->VideosLabel, ui->VideosCheckBox}},
                              ui->MyComputerIconsImage, ui->MyComputerIconsPushButton);
    desktop.bind(ui->DesktopCheckBox);
    documents.bind(ui->DocumentsCheckBox);
    downloads.bind(ui->DownloadsCheckBox);
    music.bind(ui->MusicCheckBox);
    pictures.bind(ui->PicturesCheckBox);
    videos.bind(ui->VideosCheckBox);
    objects3d.bind(ui->_3dObjectsCheckBox);
    loadSetting();
}

MyComputerIconsForm::~MyComputerIconsForm()
{
    delete ui;
}

bool MyComputerIconsForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void MyComputerIconsForm::on_DesktopCheckBox_stateChanged(int)
{
    desktop.report();
}

void MyComputerIconsForm::on_DocumentsCheckBox_stateChanged(int)
{
    documents.report();
}

void MyComputerIconsForm::on_DownloadsCheckBox_stateChanged(int)
{
    downloads.report();
}

void MyComputerIconsForm::on_MusicCheckBox_stateChanged(int)
{
    music.report();
}

void MyComputerIconsForm::on_PicturesCheckBox_stateChanged(int)
{
    pictures.report();
}

void MyComputerIconsForm::on_VideosCheckBox_stateChanged(int)
{
    videos.report();
}

void MyComputerIconsForm::on__3dObjectsCheckBox_stateChanged(int)
{
    objects3d.report();
}

void MyComputerIconsForm::on_MyComputerIconsPushButton_clicked()
{
    for (CheckSetting *folder : {&desktop, &documents, &downloads, &music, &pictures, &videos, &objects3d})
        folder->setDefault();
}
