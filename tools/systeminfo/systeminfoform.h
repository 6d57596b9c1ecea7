// The System Information module page: six read-only views of what SystemQuery reports. The Windows tab is
// filled when the page is built, every other tab once, on its first selection.
#pragma once

#include <QModelIndex>
#include <QStandardItemModel>
#include <QWidget>

namespace Ui {
class SystemInfoForm;
}

class SystemInfoForm : public QWidget
{
    Q_OBJECT

public:
    explicit SystemInfoForm(QWidget *parent = nullptr);
    ~SystemInfoForm() override;

private slots:
    void on_tabWidget_currentChanged(int index);
    void on_specialFoldersTreeView_clicked(QModelIndex index);
    void on_sfExplorerButton_clicked();
    void on_startupAppSettingsButton_clicked();
    void on_tsTaskSchedulerButton_clicked();

private:
    void loadWindowsInfo();
    void loadSpecialFolders();
    void loadEnvironmentVariables();
    void loadStartupItems();
    void loadScheduledTasks();
    void loadCodecs();
    QString selectedFolderPath() const;

    Ui::SystemInfoForm *ui;
    QStandardItemModel windowsModel;
    QStandardItemModel specialFoldersModel;
    QStandardItemModel environmentModel;
    QStandardItemModel startupModel;
    QStandardItemModel tasksModel;
    QStandardItemModel codecModel;
    bool specialFoldersLoaded = false;
    bool environmentLoaded = false;
    bool startupLoaded = false;
    bool tasksLoaded = false;
    bool codecsLoaded = false;
};
