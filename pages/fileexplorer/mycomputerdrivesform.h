// The drives shown in This PC (settings 630-655, one per drive letter A to Z), kept as the bits of the
// NoDrives policy: bit n set hides the drive of letter 'A' + n. Applying any of them restarts File Explorer.
#pragma once

#include "krutils.h"
#include "settingpage.h"

#include <QList>
#include <QVector>

#include <memory>
#include <vector>

namespace Ui {
class MyComputerDrivesForm;
}

class QTreeWidgetItem;
class Setting;

class MyComputerDrivesForm : public SettingPage
{
    Q_OBJECT

public:
    explicit MyComputerDrivesForm(QWidget *parent = nullptr);
    ~MyComputerDrivesForm() override;

    // Reads NoDrives and rebuilds the tree from the drives present now.
    void loadSetting() override;
    // Writes the bit of drive index - 630 alone; the other bits keep what the registry holds.
    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);

    static QString driveDescription(bool shown, QString displayName);

public slots:
    void treeWidgetItemChanged(QTreeWidgetItem *item, int column);

private slots:
    void on_MyComputerDrivesPushButton_clicked();

private:
    friend class DriveSetting;

    void fillDriveTree();
    QTreeWidgetItem *itemOf(int position) const;
    bool shownAtLastLoad(int position) const;
    void reloadDrive(int position);
    void reportDrive(int position);
    bool writeDrive(int position, bool fromStored, bool removeValue, const QString &storedValue);

    Ui::MyComputerDrivesForm *ui;
    QVector<DriveInfo> drives;
    // The bits of NoDrives at the last load, lowest first, up to the highest set bit.
    QList<int> noDriveBits;
    std::vector<std::unique_ptr<Setting>> driveSettings;
};
