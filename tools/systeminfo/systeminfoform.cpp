#include "systeminfoform.h"
#include "ui_systeminfoform.h"

#include "shellhelpers.h"
#include "systemquery.h"
#include "viewcolumns.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QTreeView>

namespace {

// The row's first cell with the shell icon of path; a path that does not exist gets none.
QStandardItem *iconItem(const QString &text, const QString &path)
{
    auto *item = new QStandardItem(text);
    SHFILEINFOW info = {};
    if (SHGetFileInfoW(wstr(path), 0x90, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) && info.hIcon) {
        item->setIcon(QIcon(QPixmap::fromImage(imageFromIcon(info.hIcon))));
        DestroyIcon(info.hIcon);
    }
    return item;
}

void appendRow(QStandardItemModel &model, QStandardItem *first, const QStringList &rest)
{
    QList<QStandardItem *> row{first};
    for (const QString &text : rest)
        row.append(new QStandardItem(text));
    model.appendRow(row);
}

} // namespace

SystemInfoForm::SystemInfoForm(QWidget *parent) : QWidget(parent), ui(new Ui::SystemInfoForm)
{
    ui->setupUi(this);
    for (QTreeView *view : findChildren<QTreeView *>())
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->tabWidget->setCurrentIndex(0);
    loadWindowsInfo();
    ui->windowsTreeView->setModel(&windowsModel);
    viewcolumns::setWidths(ui->windowsTreeView, {{0, 200}});
}

SystemInfoForm::~SystemInfoForm()
{
    delete ui;
}

void SystemInfoForm::on_tabWidget_currentChanged(int index)
{
    struct Tab
    {
        bool *loaded;
        void (SystemInfoForm::*load)();
        QTreeView *view;
        QStandardItemModel *model;
        QList<QPair<int, int>> widths; // column, pixels
    };
    const Tab tabs[] = {
        {&specialFoldersLoaded,
         &SystemInfoForm::loadSpecialFolders,
         ui->specialFoldersTreeView,
         &specialFoldersModel,
         {{0, 300}}},
        {&environmentLoaded,
         &SystemInfoForm::loadEnvironmentVariables,
         ui->environmentVarsTreeView,
         &environmentModel,
         {{0, 230}}},
        {&startupLoaded, &SystemInfoForm::loadStartupItems, ui->startupItemsTreeView, &startupModel, {{0, 250}}},
        {&tasksLoaded, &SystemInfoForm::loadScheduledTasks, ui->taskSchedulerTreeView, &tasksModel, {{0, 200}}},
        {&codecsLoaded, &SystemInfoForm::loadCodecs, ui->codecTreeView, &codecModel, {{0, 250}, {2, 150}, {3, 150}}},
    };
    if (index < 1 || index > 5)
        return;
    const Tab &tab = tabs[index - 1];
    if (*tab.loaded)
        return;
    *tab.loaded = true;
    (this->*tab.load)();
    tab.view->setModel(tab.model);
    if (index == 3)
        tab.view->setColumnHidden(2, true); // IconDir: kept for the icons, not shown
    viewcolumns::setWidths(tab.view, tab.widths);
}

void SystemInfoForm::loadWindowsInfo()
{
    windowsModel.setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("Value")});
    SystemQuery query;
    OsVersionInfo version;
    query.getOsVersion(version);
    QString country, language, timeZone, uptime, windowsDir, systemDir;
    query.localeAndUptime(country, language, timeZone, uptime);
    query.windowsDirectories(windowsDir, systemDir);
    const QStringList rows[] = {
        {QStringLiteral("Operating System"), version.productName},
        {QStringLiteral("Edition"), QStringLiteral("64 bit system")},
        {QStringLiteral("Version Number"), QStringLiteral("%1.%2").arg(version.major).arg(version.minor)},
        {QStringLiteral("Build Number"), version.releaseName + QStringLiteral(" (%1)").arg(version.build)},
        {QStringLiteral("Country"), country},
        {QStringLiteral("Language"), language},
        {QStringLiteral("Time Zone"), timeZone},
        {QStringLiteral("Windows Time Info"), uptime},
        {QStringLiteral("Windows Directory"), windowsDir},
        {QStringLiteral("Windows System Directory"), systemDir},
    };
    for (const QStringList &row : rows)
        appendRow(windowsModel, new QStandardItem(row.at(0)), {row.at(1)});
}

void SystemInfoForm::loadSpecialFolders()
{
    specialFoldersModel.setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Path")});
    SystemQuery query;
    QVector<NameValuePair> list;
    query.specialFolders(list);
    for (const NameValuePair &folder : std::as_const(list))
        appendRow(specialFoldersModel, iconItem(folder.name, folder.value), {folder.value});
}

void SystemInfoForm::loadEnvironmentVariables()
{
    environmentModel.setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("Value")});
    SystemQuery query;
    QVector<NameValuePair> list;
    query.environmentVariables(list);
    for (const NameValuePair &variable : std::as_const(list))
        appendRow(environmentModel, new QStandardItem(variable.name), {variable.value});
}

void SystemInfoForm::loadStartupItems()
{
    startupModel.setHorizontalHeaderLabels(
        {QStringLiteral("File Name"), QStringLiteral("Command"), QStringLiteral("IconDir")});
    SystemQuery query;
    QVector<StartupItem> list;
    query.startupFolderItems(startupPath(), list);
    query.startupFolderItems(commonStartupPath(), list);
    const QString run = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    const QString runOnce = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
    query.registryRunItems(HKEY_CURRENT_USER, run, false, list);
    query.registryRunItems(HKEY_CURRENT_USER, runOnce, false, list);
    query.registryRunItems(HKEY_LOCAL_MACHINE, run, false, list);
    query.registryRunItems(HKEY_LOCAL_MACHINE, runOnce, false, list);
    query.registryRunItems(HKEY_LOCAL_MACHINE, run, true, list);
    query.registryRunItems(HKEY_LOCAL_MACHINE, runOnce, true, list);
    for (const StartupItem &item : std::as_const(list))
        appendRow(startupModel, iconItem(item.name, item.path), {item.command, item.path});
}

void SystemInfoForm::loadScheduledTasks()
{
    tasksModel.setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("State"), QStringLiteral("Path")});
    SystemQuery query;
    QVector<StartupItem> list;
    query.scheduledTasks(list); // a failure leaves the tab empty
    for (const StartupItem &task : std::as_const(list))
        appendRow(tasksModel, iconItem(task.name, task.path), {task.command, task.path});
}

void SystemInfoForm::loadCodecs()
{
    codecModel.setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Type"), QStringLiteral("Version"),
                                          QStringLiteral("Vendor"), QStringLiteral("File Name")});
    SystemQuery query;
    QVector<CodecInfo> list;
    query.videoCodecs(list);
    query.audioCodecs(list);
    query.directShowFilters(list);
    query.dmoCodecs(list);
    for (const CodecInfo &codec : std::as_const(list))
        appendRow(codecModel, new QStandardItem(codec.name),
                  {SystemQuery::codecTypeText(codec.type), codec.version, codec.vendor, codec.fileName});
}

QString SystemInfoForm::selectedFolderPath() const
{
    const QModelIndexList selected = ui->specialFoldersTreeView->selectionModel()
                                         ? ui->specialFoldersTreeView->selectionModel()->selectedIndexes()
                                         : QModelIndexList();
    if (selected.isEmpty())
        return QString();
    return specialFoldersModel.item(selected.first().row(), 1)
               ? specialFoldersModel.item(selected.first().row(), 1)->text()
               : QString();
}

void SystemInfoForm::on_specialFoldersTreeView_clicked(QModelIndex)
{
    if (!ui->specialFoldersTreeView->currentIndex().isValid()) {
        ui->sfExplorerButton->setEnabled(false);
        return;
    }
    const QModelIndexList selected = ui->specialFoldersTreeView->selectionModel()->selectedIndexes();
    if (!selected.isEmpty())
        ui->sfExplorerButton->setEnabled(!selectedFolderPath().isEmpty());
}

void SystemInfoForm::on_sfExplorerButton_clicked()
{
    const QString path = selectedFolderPath();
    if (!path.isEmpty())
        showInExplorer(path, this);
}

void SystemInfoForm::on_startupAppSettingsButton_clicked()
{
    auto *process = new QProcess(this);
    startProgram(process, QStringLiteral("explorer"), {QStringLiteral("ms-settings:startupapps")});
}

void SystemInfoForm::on_tsTaskSchedulerButton_clicked()
{
    QString windowsDir, systemDir;
    SystemQuery().windowsDirectories(windowsDir, systemDir);
    const QString console = systemDir + QStringLiteral("\\taskschd.msc");
    ShellExecuteW(reinterpret_cast<HWND>(winId()), WSTR("open"), wstr(console), WSTR("/s"), nullptr, SW_SHOWNORMAL);
}
