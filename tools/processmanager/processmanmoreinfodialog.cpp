#include "processmanmoreinfodialog.h"
#include "ui_processmanmoreinfodialog.h"

#include "krutils.h"
#include "win32.h"
#include "viewcolumns.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPixmap>
#include <QVBoxLayout>

ProcessManMoreInfoDialog::ProcessManMoreInfoDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::ProcessManMoreInfoDialog)
{
    ui->setupUi(this);
    modulesModel.setHorizontalHeaderLabels({QStringLiteral("Module Name"), QStringLiteral("Path"),
                                            QStringLiteral("Process ID"), QStringLiteral("Ref Count (g)"),
                                            QStringLiteral("Ref Count (p)"), QStringLiteral("Base Address"),
                                            QStringLiteral("Base Size")});
    threadsModel.setHorizontalHeaderLabels(
        {QStringLiteral("Thread ID"), QStringLiteral("Base Priority"), QStringLiteral("Delta priority")});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui->ffTreeView1);
    layout->addWidget(ui->ffTreeView2);
    layout->addSpacing(10);
    auto *buttons = new QHBoxLayout;
    buttons->setAlignment(Qt::AlignRight);
    buttons->addWidget(ui->pushButton);
    layout->addLayout(buttons);
}

ProcessManMoreInfoDialog::~ProcessManMoreInfoDialog()
{
    ui->ffTreeView1->setModel(nullptr);
    ui->ffTreeView2->setModel(nullptr);
    delete ui;
}

void ProcessManMoreInfoDialog::loadProcessInfo()
{
    loadModules(processId);
    loadThreads(processId);
}

bool ProcessManMoreInfoDialog::loadModules(int pid)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, DWORD(pid));
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    if (!Module32FirstW(snapshot, &entry)) {
        CloseHandle(snapshot);
        return false;
    }
    KRUtils utils;
    do {
        const QString path = fromWide(entry.szExePath, MAX_PATH);
        auto *name = new QStandardItem(fromWide(entry.szModule, MAX_MODULE_NAME32 + 1));
        const QImage icon = utils.fileIconImage(path);
        if (!icon.isNull())
            name->setIcon(QIcon(QPixmap::fromImage(icon)));
        modulesModel.appendRow({name, new QStandardItem(path), new QStandardItem(QString::number(entry.th32ProcessID)),
                                new QStandardItem(QString::number(entry.GlblcntUsage)),
                                new QStandardItem(QString::number(entry.ProccntUsage)),
                                new QStandardItem(QString::number(quint64(quintptr(entry.modBaseAddr)))),
                                new QStandardItem(QString::number(entry.modBaseSize))});
    } while (Module32NextW(snapshot, &entry));
    CloseHandle(snapshot);
    ui->ffTreeView1->setModel(&modulesModel);
    viewcolumns::setWidths(ui->ffTreeView1, {{0, 200}, {2, 150}}, 1); // the path takes what is left
    modulesModel.sort(0, Qt::AscendingOrder);
    return true;
}

bool ProcessManMoreInfoDialog::loadThreads(int pid)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    if (!Thread32First(snapshot, &entry)) {
        CloseHandle(snapshot);
        return false;
    }
    do {
        if (entry.th32OwnerProcessID == DWORD(pid))
            threadsModel.appendRow({new QStandardItem(QString::number(entry.th32ThreadID)),
                                    new QStandardItem(QString::number(entry.tpBasePri)),
                                    new QStandardItem(QString::number(entry.tpDeltaPri))});
    } while (Thread32Next(snapshot, &entry));
    CloseHandle(snapshot);
    ui->ffTreeView2->setModel(&threadsModel);
    viewcolumns::setWidths(ui->ffTreeView2, {{0, 200}, {2, 150}});
    threadsModel.sort(0, Qt::AscendingOrder);
    return true;
}

void ProcessManMoreInfoDialog::on_pushButton_clicked()
{
    // Hidden now, which ends the modal run even where the deferred delete waits for an outer loop.
    hide();
    deleteLater();
}
