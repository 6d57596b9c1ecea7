// Lists the pending changes with a check box each; Apply All Changes hands the checked ones to the
// catalogue, which backs up, writes and reloads them as Save does.
#pragma once

#include "krglobal.h"

#include <QDialog>

class QStandardItem;
class QStandardItemModel;

namespace Ui {
class ReviewChangesDialog;
}

class ReviewChangesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ReviewChangesDialog(QWidget *parent = nullptr);
    ~ReviewChangesDialog() override;

    // The catalogue's pending list, read only; set before loadChanges.
    void setSettingChangeList(const QList<KRGlobal::SettingsData> *list) { settingChangeList = list; }
    void loadChanges();

signals:
    void applyChanged(QList<KRGlobal::SettingsData> newSettingChangeList);

private slots:
    void on_ClosePushButton_clicked();
    void on_ApplyPushButton_clicked();
    void onItemChanged(QStandardItem *item);

private:
    Ui::ReviewChangesDialog *ui;
    const QList<KRGlobal::SettingsData> *settingChangeList = nullptr;
    QStandardItemModel *model;
    int checkedCount;
    QList<KRGlobal::SettingsData> settingList;
};
