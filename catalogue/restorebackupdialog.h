// Lists the backup files, shows the records of one with a check box each and hands the checked ones to
// the catalogue, which writes the recorded values back.
#pragma once

#include "filecheck.h"
#include "krglobal.h"

#include <QDialog>
#include <QItemSelection>

class QLabel;
class QStandardItem;
class QStandardItemModel;

namespace Ui {
class RestoreBackupDialog;
}

class RestoreBackupDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RestoreBackupDialog(QWidget *parent = nullptr);
    ~RestoreBackupDialog() override;

    void loadBackupList();
    void loadBackupFile();
    // The catalogue's answer to restoreBackup: true when every entry reached its page and was written.
    void setRestoreComplete(bool complete) { restoreComplete = complete; }

signals:
    void restoreBackup(QList<KRGlobal::SettingsData> newSettingChangeList);

private slots:
    void on_ClosePushButton_clicked();
    void mySelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void on_RestorePushButton_clicked();
    void on_ApplyPushButton_clicked();
    void onItemChanged(QStandardItem *item);

private:
    Ui::RestoreBackupDialog *ui;
    QStandardItemModel *fileModel;
    QStandardItemModel *detailModel;
    QLabel *noneLabel; // shown while the list has no backup file
    QString backupFilePath;
    filecheck::FileIdentity backupIdentity; // of the file read, the only one a full restore deletes
    int checkedCount;
    QList<KRGlobal::SettingsData> settingList;
    bool restoreComplete;
};
