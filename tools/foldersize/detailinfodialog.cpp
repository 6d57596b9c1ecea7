#include "detailinfodialog.h"
#include "ui_detailinfodialog.h"

#include "viewcolumns.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QVBoxLayout>

DetailInfoDialog::DetailInfoDialog(QWidget *parent) : QDialog(parent), ui(new Ui::DetailInfoDialog)
{
    ui->setupUi(this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui->closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ui->treeView);
    layout->addLayout(buttons);

    model.setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("Value")});
    ui->treeView->setModel(&model);
    viewcolumns::setWidths(ui->treeView, {{0, 340}});
}

DetailInfoDialog::~DetailInfoDialog()
{
    delete ui;
}

void DetailInfoDialog::fill(const DriveInfo &drive)
{
    setWindowTitle(drive.displayName);

    const QList<QStandardItem *> general = makeGroupRow(QStringLiteral("General"));
    const QList<QStandardItem *> features = makeGroupRow(QStringLiteral("File System Features"));
    model.appendRow(general);
    model.appendRow(features);

    const std::pair<const char *, const QString *> values[] = {
        {"Path", &drive.rootPath},
        {"Serial Number", &drive.serialNumber},
        {"File System", &drive.fileSystem},
        {"Maximum File Name Length", &drive.maxComponentLength},
        {"Total Space", &drive.totalSize},
        {"Free Space", &drive.freeSize},
        {"Total Cluster", &drive.totalClusters},
        {"Free Cluster", &drive.freeClusters},
        {"Sectors per Cluster", &drive.sectorsPerCluster},
        {"Bytes per Sector", &drive.bytesPerSector},
    };
    for (const auto &v : values)
        general.first()->appendRow(makeValueRow(QLatin1String(v.first), *v.second));

    const std::pair<const char *, bool> flags[] = {
        {"Case is Preserved", drive.casePreservedNames},
        {"Case Sensitive", drive.caseSensitiveSearch},
        {"File Compression Support", drive.fileCompression},
        {"Named Streams Support", drive.namedStreams},
        {"Preserves and Enforces ACLs", drive.persistentAcls},
        {"Read Only Volume", drive.readOnlyVolume},
        {"Single Sequential Write Support", drive.sequentialWriteOnce},
        {"Encrypted File System Support", drive.supportsEncryption},
        {"Extended Attributes Support", drive.supportsExtendedAttributes},
        {"Hard Links Support", drive.supportsHardLinks},
        {"Object Identifiers Support", drive.supportsObjectIds},
        {"Open by FileID Support", drive.supportsOpenByFileId},
        {"Re-parse Points Support", drive.supportsReparsePoints},
        {"Sparse Files Support", drive.supportsSparseFiles},
        {"Transactions Support", drive.supportsTransactions},
        {"Update Sequence Number Journals Support", drive.supportsUsnJournal},
        {"Unicode in File Names Support", drive.unicodeOnDisk},
        {"Volume is Compressed", drive.volumeIsCompressed},
        {"Disk Quotas Support", drive.volumeQuotas},
    };
    for (const auto &f : flags)
        features.first()->appendRow(makeFlagRow(QLatin1String(f.first), f.second));

    ui->treeView->expandAll();
}

QList<QStandardItem *> DetailInfoDialog::makeGroupRow(const QString &name)
{
    auto *item = new QStandardItem(QIcon(QStringLiteral(":/resources/images/SymbolBolt16.png")), name);
    return {item, new QStandardItem(QString())};
}

QList<QStandardItem *> DetailInfoDialog::makeValueRow(const QString &name, const QString &value)
{
    return {new QStandardItem(name), new QStandardItem(value)};
}

QList<QStandardItem *> DetailInfoDialog::makeFlagRow(const QString &name, bool set)
{
    const QIcon icon(set ? QStringLiteral(":/resources/images/CheckIn16.png")
                         : QStringLiteral(":/resources/images/Close16.png"));
    return {new QStandardItem(icon, name), new QStandardItem(set ? QStringLiteral("Yes") : QStringLiteral("No"))};
}

void DetailInfoDialog::on_closeButton_clicked()
{
    close();
}
