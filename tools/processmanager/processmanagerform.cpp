#include "processmanagerform.h"
#include "ui_processmanagerform.h"

#include "processmanmoreinfodialog.h"
#include "processmansetprioritydialog.h"
#include "prioritynames.h"
#include "shellhelpers.h"
#include "viewcolumns.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QPixmap>

namespace {

enum Column {
    NameColumn,
    MemoryColumn,
    PriorityColumn,
    PathColumn,
    PidColumn,
    ThreadsColumn,
    ParentColumn,
    BaseColumn
};

// The "Process ID" cell also keeps the process's creation time: an id alone may have gone to a newer process.
constexpr int CreationTimeRole = Qt::UserRole + 1;

// The debug privilege, enabled on the program's own token for as long as one of these lives.
class DebugPrivilege
{
public:
    DebugPrivilege()
    {
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
            held = setPrivilege(token, WSTR("SeDebugPrivilege"), true);
    }
    ~DebugPrivilege()
    {
        if (held)
            setPrivilege(token, WSTR("SeDebugPrivilege"), false);
        if (token)
            CloseHandle(token);
    }
    DebugPrivilege(const DebugPrivilege &) = delete;
    DebugPrivilege &operator=(const DebugPrivilege &) = delete;
    bool isHeld() const { return held; }

private:
    HANDLE token = nullptr;
    bool held = false;
};

} // namespace

QString ProcessManagerForm::memoryUsageText(quint64 workingSetBytes)
{
    return QString::number(double(workingSetBytes) / 1048576.0, 'f', 2) + QStringLiteral(" MB");
}

ProcessManagerForm::ProcessManagerForm(QWidget *parent) : QWidget(parent), ui(new Ui::ProcessManagerForm)
{
    ui->setupUi(this);
    auto *buttons = new QHBoxLayout(ui->toolBar);
    buttons->setAlignment(Qt::AlignLeft);
    buttons->addWidget(ui->setPriorityButton);
    buttons->addWidget(ui->moreInfoButton);
    buttons->addWidget(ui->terminateApplicationButton);
    buttons->addWidget(ui->refreshButton);
    layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ui->toolBar);
    layout->addWidget(ui->ffTreeView);
    loadProcesses();
}

ProcessManagerForm::~ProcessManagerForm()
{
    // The view lets go of the model before the model goes.
    ui->ffTreeView->setModel(nullptr);
    delete ui;
}

QString ProcessManagerForm::devicePathToDosPath(const QString &devicePath)
{
    WCHAR drives[512] = {};
    const DWORD length = GetLogicalDriveStringsW(511, drives);
    if (length == 0 || length > 511)
        return devicePath;
    for (const WCHAR *drive = drives; *drive; drive += fromWide(drive).size() + 1) {
        const QString driveName = QString(QChar(char16_t(drive[0]))) + QLatin1Char(':');
        WCHAR device[512] = {};
        if (!QueryDosDeviceW(wstr(driveName), device, 512))
            continue;
        const QString deviceName = fromWide(device, 512);
        if (deviceName.size() >= MAX_PATH)
            continue;
        // The device name must end where a path component ends: volume 1 is no prefix of volume 12's paths.
        if (devicePath.startsWith(deviceName, Qt::CaseInsensitive) &&
            (devicePath.size() == deviceName.size() || devicePath.at(deviceName.size()) == QLatin1Char('\\')))
            return (driveName + devicePath.mid(deviceName.size())).left(MAX_PATH - 1);
    }
    return devicePath;
}

// The image path of an open process in drive-letter form with forward slashes; "" when it cannot be read.
QString ProcessManagerForm::imagePathOf(HANDLE process)
{
    WCHAR image[512] = {};
    if (!K32GetProcessImageFileNameW(process, image, 512))
        return QString();
    // Windows' QFileInfo turns backslashes into slashes itself; done here so every host shows the same.
    return QFileInfo(devicePathToDosPath(fromWide(image, 512)).replace(QLatin1Char('\\'), QLatin1Char('/'))).filePath();
}

bool ProcessManagerForm::isListedProcess(HANDLE process, const QString &path, quint64 created)
{
    return imagePathOf(process) == path && created != 0 && creationTimeOf(process) == created;
}

void ProcessManagerForm::reportIdReused(const QString &name, LPCWSTR title)
{
    const QString message = name + QStringLiteral(" has already ended; its process ID now belongs to another "
                                                  "process, which is left running. Refresh shows the list as it is "
                                                  "now.");
    MessageBoxW(nullptr, wstr(message), title, MB_ICONINFORMATION);
}

bool ProcessManagerForm::rowStillListed(int row, LPCWSTR title)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, model.item(row, PidColumn)->text().toUInt());
    if (!process)
        return true;
    const bool same = isListedProcess(process, model.item(row, PathColumn)->text(),
                                      model.item(row, PidColumn)->data(CreationTimeRole).toULongLong());
    CloseHandle(process);
    if (!same)
        reportIdReused(model.item(row, NameColumn)->text(), title);
    return same;
}

quint64 ProcessManagerForm::creationTimeOf(HANDLE process)
{
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return quint64(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

QIcon ProcessManagerForm::iconOf(const QString &path)
{
    // Many processes run one program: the file is asked once.
    auto known = iconByPath.constFind(path);
    if (known != iconByPath.constEnd())
        return *known;
    const QIcon icon = shellIconOf(path);
    iconByPath.insert(path, icon);
    return icon;
}

QIcon ProcessManagerForm::shellIconOf(const QString &path)
{
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(wstr(nativeSeparators(path)), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        return QIcon();
    auto cached = iconCache.constFind(info.iIcon);
    if (cached != iconCache.constEnd())
        return *cached;
    QIcon icon;
    IImageList *list = nullptr;
    if (SUCCEEDED(SHGetImageList(SHIL_EXTRALARGE, IID_IImageList, reinterpret_cast<void **>(&list))) && list) {
        if (HICON handle = ImageList_GetIcon(reinterpret_cast<HIMAGELIST>(list), info.iIcon, ILD_NORMAL)) {
            icon = QIcon(QPixmap::fromImage(imageFromIcon(handle)));
            DestroyIcon(handle);
        }
        list->Release();
    }
    iconCache.insert(info.iIcon, icon);
    return icon;
}

QList<QStandardItem *> ProcessManagerForm::processRow(DWORD pid, const PROCESSENTRY32W &entry)
{
    HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (!process)
        return {};
    const QString path = imagePathOf(process);
    QString memory;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (K32GetProcessMemoryInfo(process, &counters, sizeof(counters)))
        memory = memoryUsageText(counters.WorkingSetSize);
    const QString priority = PriorityNames::name(GetPriorityClass(process));
    const quint64 created = creationTimeOf(process);
    CloseHandle(process);
    const QFileInfo file = windowsFileInfo(path);
    if (file.fileName().isEmpty())
        return {};
    auto *name = new QStandardItem(file.fileName());
    name->setIcon(iconOf(file.filePath()));
    auto *id = new QStandardItem(QString::number(pid));
    id->setData(created, CreationTimeRole);
    return {name,
            new QStandardItem(memory),
            new QStandardItem(priority),
            new QStandardItem(file.filePath()),
            id,
            new QStandardItem(QString::number(entry.cntThreads)),
            new QStandardItem(QString::number(entry.th32ParentProcessID)),
            new QStandardItem(QString::number(entry.pcPriClassBase))};
}

bool ProcessManagerForm::loadProcesses()
{
    model.clear();
    model.setHorizontalHeaderLabels({QStringLiteral("Module Name"), QStringLiteral("Memory Usage"),
                                     QStringLiteral("Priority class"), QStringLiteral("Path"),
                                     QStringLiteral("Process ID"), QStringLiteral("Thread count"),
                                     QStringLiteral("Parent process ID"), QStringLiteral("Priority base")});
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    if (!Process32FirstW(snapshot, &entry)) {
        CloseHandle(snapshot);
        return false;
    }
    {
        DebugPrivilege privilege;
        if (!privilege.isHeld()) {
            CloseHandle(snapshot);
            return false;
        }
        // Rows go in at once at the end: one insertion for the view instead of one per process.
        QList<QList<QStandardItem *>> rows;
        do {
            QList<QStandardItem *> row = processRow(entry.th32ProcessID, entry);
            if (!row.isEmpty())
                rows.append(row);
        } while (Process32NextW(snapshot, &entry));
        model.insertRows(0, int(rows.size()));
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows.at(r).size(); ++c)
                model.setItem(r, c, rows.at(r).at(c));
    }
    CloseHandle(snapshot);

    if (ui->ffTreeView->model() != &model)
        ui->ffTreeView->setModel(&model);
    viewcolumns::setWidths(ui->ffTreeView, {{NameColumn, 200}, {PriorityColumn, 150}}, PathColumn);
    model.sort(NameColumn, Qt::AscendingOrder);
    setRowActionsEnabled(false);
    ui->ffTreeView->header()->setSectionsClickable(true);
    if (!connected) {
        connected = true;
        connect(ui->ffTreeView->header(), &QHeaderView::sectionClicked, this, &ProcessManagerForm::OnSectionClicked);
        connect(ui->ffTreeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &ProcessManagerForm::OnTreeViewSelectionChanged);
    }
    return true;
}

void ProcessManagerForm::setRowActionsEnabled(bool enabled)
{
    ui->setPriorityButton->setEnabled(enabled);
    ui->moreInfoButton->setEnabled(enabled);
    ui->terminateApplicationButton->setEnabled(enabled);
}

void ProcessManagerForm::on_refreshButton_clicked()
{
    loadProcesses();
}

void ProcessManagerForm::OnSectionClicked(int index)
{
    sortOrder = !sortOrder;
    model.sort(index, sortOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ProcessManagerForm::OnTreeViewSelectionChanged(QItemSelection selected, QItemSelection)
{
    setRowActionsEnabled(!selected.isEmpty());
}

void ProcessManagerForm::on_moreInfoButton_clicked()
{
    rememberedSelection =
        ui->ffTreeView->selectionModel() ? ui->ffTreeView->selectionModel()->selectedIndexes() : QModelIndexList();
    if (rememberedSelection.isEmpty())
        return;
    const int row = rememberedSelection.first().row();
    if (!rowStillListed(row, WSTR("More Info")))
        return;
    auto *dialog = new ProcessManMoreInfoDialog(this);
    dialog->processId = model.item(row, PidColumn)->text().toInt();
    dialog->loadProcessInfo();
    dialog->exec();
}

void ProcessManagerForm::on_setPriorityButton_clicked()
{
    rememberedSelection =
        ui->ffTreeView->selectionModel() ? ui->ffTreeView->selectionModel()->selectedIndexes() : QModelIndexList();
    if (rememberedSelection.isEmpty())
        return;
    const int row = rememberedSelection.first().row();
    if (!rowStillListed(row, WSTR("Set Priority")))
        return;
    auto *dialog = new ProcessManSetPriorityDialog(this);
    connect(dialog, &ProcessManSetPriorityDialog::priorityLevelChanged, this,
            &ProcessManagerForm::onPriorityLevelChanged);
    dialog->processId = model.item(row, PidColumn)->text().toInt();
    dialog->applicationName = model.item(row, NameColumn)->text();
    dialog->priorityName = model.item(row, PriorityColumn)->text();
    // The dialog checks again when it acts: the process may end while the dialog is open.
    dialog->imagePath = model.item(row, PathColumn)->text();
    dialog->creationTime = model.item(row, PidColumn)->data(CreationTimeRole).toULongLong();
    dialog->selectCurrentPriority();
    dialog->exec();
}

void ProcessManagerForm::onPriorityLevelChanged(QString priorityLevel)
{
    if (rememberedSelection.isEmpty())
        return;
    // The row's own priority cell, whatever order the view reported the row's cells in.
    model.setData(model.index(rememberedSelection.first().row(), PriorityColumn), priorityLevel, Qt::EditRole);
}

void ProcessManagerForm::on_terminateApplicationButton_clicked()
{
    if (!ui->ffTreeView->selectionModel())
        return;
    const QModelIndexList selected = ui->ffTreeView->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const int row = selected.first().row();
    const QString name = model.item(row, NameColumn)->text();
    const QString pidText = model.item(row, PidColumn)->text();
    const QString path = model.item(row, PathColumn)->text();
    const quint64 created = model.item(row, PidColumn)->data(CreationTimeRole).toULongLong();
    const QString question = QStringLiteral("Do you want to terminate ") + name + QLatin1Char('?');
    if (MessageBoxW(nullptr, wstr(question), WSTR("Confirm for Termination"),
                    MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    // The id must still belong to the process the row shows, checked on the handle that ends it.
    bool ended = false;
    bool sameProcess = true;
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pidText.toUInt())) {
        sameProcess = isListedProcess(process, path, created);
        ended = sameProcess && TerminateProcess(process, 0);
        CloseHandle(process);
    }
    if (!sameProcess) {
        reportIdReused(name, WSTR("Terminate Application"));
        return;
    }
    if (!ended) {
        const QString message =
            QStringLiteral("Unable to terminate ") + name + QStringLiteral(". Please try again in a few seconds.");
        MessageBoxW(nullptr, wstr(message), WSTR("Error"), MB_ICONWARNING);
        return;
    }
    // The row of that process, found by its id: the selection may have moved while the question was open.
    for (int r = model.rowCount() - 1; r >= 0; --r)
        if (model.item(r, PidColumn)->text() == pidText && model.item(r, PathColumn)->text() == path &&
            model.item(r, PidColumn)->data(CreationTimeRole).toULongLong() == created)
            model.removeRow(r);
}
