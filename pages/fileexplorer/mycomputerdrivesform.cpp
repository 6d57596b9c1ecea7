#include "mycomputerdrivesform.h"
#include "ui_mycomputerdrivesform.h"

#include "pagelayout.h"
#include "intsetting.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QIcon>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString policyKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer");
const QString noDrivesName = QStringLiteral("NoDrives");
constexpr int firstDriveId = 630;
constexpr int letterCount = 26;

// The NoDrives mask; an absent key or value is the empty mask. False when the value could not be read
// for another reason, so that a write never builds on a mask it did not see.
bool readNoDrives(quint32 *mask)
{
    *mask = 0;
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, wstr(policyKey), 0, KEY_QUERY_VALUE, &key);
    if (rc == ERROR_FILE_NOT_FOUND)
        return true;
    if (rc != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    rc = RegQueryValueExW(key, wstr(noDrivesName), nullptr, &type, reinterpret_cast<BYTE *>(&data), &size);
    RegCloseKey(key);
    if (rc == ERROR_FILE_NOT_FOUND)
        return true;
    if (rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(data))
        *mask = data;
    // A value of another type or size is no mask: it is replaced by the next write.
    return rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA;
}

} // namespace

// One drive letter's setting; the page keeps the drives and the bits, the setting forwards to it.
class DriveSetting : public Setting
{
public:
    DriveSetting(MyComputerDrivesForm *page, int position)
        : Setting(page, firstDriveId + position), page(page), position(position)
    {
    }
    void read() override { page->reloadDrive(position); }
    void report() override { page->reportDrive(position); }
    void setDefault() override
    {
        if (QTreeWidgetItem *item = page->itemOf(position))
            item->setCheckState(0, Qt::Checked);
    }
    bool write(bool fromStored, bool removeValue, const QString &storedValue) override
    {
        return page->writeDrive(position, fromStored, removeValue, storedValue);
    }
    void changed(const QString &desc, const QString &oldValue, const QString &oldDesc)
    {
        emitChange(desc, oldValue, oldDesc);
    }

private:
    MyComputerDrivesForm *page;
    int position;
};

MyComputerDrivesForm::MyComputerDrivesForm(QWidget *parent)
    : SettingPage(QStringLiteral("File Explorer"), QStringLiteral("drives This PC file explorer"), parent),
      ui(new Ui::MyComputerDrivesForm)
{
    for (int position = 0; position < letterCount; ++position)
        driveSettings.push_back(std::make_unique<DriveSetting>(this, position));
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->MyComputerDrivesGroupBox);
    box->addWidget(ui->MyComputerDrivesDescLabel);
    auto *middle = new QHBoxLayout;
    middle->addWidget(ui->MyComputerDrivesTreeWidget);
    middle->addSpacing(20);
    middle->addWidget(ui->MyComputerDrivesImage, 0, Qt::AlignTop);
    middle->addStretch(1);
    box->addLayout(middle);
    box->addLayout(pagelayout::row({ui->MyComputerDrivesPushButton}));
    ui->MyComputerDrivesTreeWidget->setColumnHidden(1, true);
    loadSetting();
    // Connected only now, so that filling the tree reports nothing.
    connect(ui->MyComputerDrivesTreeWidget, &QTreeWidget::itemChanged, this,
            &MyComputerDrivesForm::treeWidgetItemChanged);
}

MyComputerDrivesForm::~MyComputerDrivesForm()
{
    delete ui;
}

QString MyComputerDrivesForm::driveDescription(bool shown, QString displayName)
{
    return shown ? QStringLiteral("Show ") + displayName +
                       QStringLiteral(" in the Devices and drives section of This PC (default).")
                 : QStringLiteral("Hide ") + displayName +
                       QStringLiteral(" in the Devices and drives section of This PC.");
}

void MyComputerDrivesForm::loadSetting()
{
    quint32 mask = 0;
    readNoDrives(&mask);
    qDebug() << "data: " << mask;
    noDriveBits.clear();
    // Unsigned, so that the shift ends for every mask, all 32 bits set included.
    for (quint32 rest = mask; rest != 0; rest >>= 1) {
        noDriveBits.append(int(rest & 1));
        qDebug() << "LNoDriveInfo " << noDriveBits.size() - 1 << ":" << noDriveBits.last();
    }
    fillDriveTree();
}

void MyComputerDrivesForm::fillDriveTree()
{
    QTreeWidget *tree = ui->MyComputerDrivesTreeWidget;
    tree->clear();
    qDebug() << "setData: ";
    tree->setHeaderLabels({QStringLiteral("Drives"), QStringLiteral("Letter")});
    KRUtils utils;
    utils.listDrives(drives);
    QList<QTreeWidgetItem *> items;
    for (const DriveInfo &drive : std::as_const(drives)) {
        auto *item = new QTreeWidgetItem(QStringList{drive.displayName, QString(QLatin1Char(drive.letter))});
        item->setCheckState(0, shownAtLastLoad(drive.letter - 'A') ? Qt::Checked : Qt::Unchecked);
        item->setIcon(0, QIcon(utils.fileIcon(drive.rootPath)));
        items << item;
    }
    tree->addTopLevelItems(items);
}

QTreeWidgetItem *MyComputerDrivesForm::itemOf(int position) const
{
    QTreeWidget *tree = ui->MyComputerDrivesTreeWidget;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = tree->topLevelItem(i);
        const QString letter = item->text(1);
        if (!letter.isEmpty() && letter.at(0).unicode() - 'A' == position)
            return item;
    }
    return nullptr;
}

bool MyComputerDrivesForm::shownAtLastLoad(int position) const
{
    // A letter beyond the recorded bits is shown.
    return position < 0 || position >= noDriveBits.size() || noDriveBits.at(position) != 1;
}

void MyComputerDrivesForm::reloadDrive(int position)
{
    quint32 mask = 0;
    readNoDrives(&mask);
    const int bit = int((mask >> position) & 1);
    if (bit && noDriveBits.size() <= position)
        noDriveBits.resize(position + 1, 0);
    if (position < noDriveBits.size())
        noDriveBits[position] = bit;
    while (!noDriveBits.isEmpty() && noDriveBits.last() == 0)
        noDriveBits.removeLast();
    if (QTreeWidgetItem *item = itemOf(position)) {
        const QSignalBlocker quiet(ui->MyComputerDrivesTreeWidget);
        item->setCheckState(0, bit ? Qt::Unchecked : Qt::Checked);
    }
}

void MyComputerDrivesForm::treeWidgetItemChanged(QTreeWidgetItem *item, int)
{
    const QString text = item->text(1);
    qDebug() << "itemChanged: " << text;
    if (text.isEmpty())
        return;
    const int position = text.at(0).unicode() - 'A';
    qDebug() << "index: " << position;
    reportDrive(position);
}

void MyComputerDrivesForm::reportDrive(int position)
{
    QTreeWidgetItem *item = itemOf(position);
    if (!item || position < 0 || position >= letterCount)
        return;
    const bool shown = shownAtLastLoad(position);
    if (!noDriveBits.isEmpty())
        qDebug() << (shown ? "Checked" : "Unchecked");
    const QString name = item->text(0);
    static_cast<DriveSetting *>(driveSettings.at(size_t(position)).get())
        ->changed(driveDescription(item->checkState(0) == Qt::Checked, name),
                  shown ? QStringLiteral("1") : QStringLiteral("0"), driveDescription(shown, name));
}

bool MyComputerDrivesForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

bool MyComputerDrivesForm::writeDrive(int position, bool fromStored, bool removeValue, const QString &storedValue)
{
    qDebug() << "MyComputerDrivesForm::writeData";
    bool shown = true;
    if (fromStored) {
        // A record holds "1" for a drive that was shown and "0" for a hidden one; a record without a value
        // stands for the default, shown. Anything else is no record of this page's.
        int stored = 0;
        if (!removeValue && (!IntSetting::parseStored(storedValue, &stored) || (stored != 0 && stored != 1)))
            return false;
        shown = removeValue || stored != 0;
    } else {
        QTreeWidgetItem *item = itemOf(position);
        if (!item)
            return false; // the drive is gone: there is no choice to write
        shown = item->checkState(0) == Qt::Checked;
    }
    // Only this drive's bit changes: bits of drives that are not present now, and the bits above Z, keep
    // what the registry holds.
    quint32 mask = 0;
    if (!readNoDrives(&mask))
        return false;
    const quint32 bit = quint32(1) << position;
    mask = shown ? mask & ~bit : mask | bit;
    const bool written = KRUtils().writeRegDWORD(HKEY_CURRENT_USER, policyKey, noDrivesName, DWORD(mask));
    qDebug() << "totalVal: " << mask;
    return written;
}

void MyComputerDrivesForm::on_MyComputerDrivesPushButton_clicked()
{
    QTreeWidget *tree = ui->MyComputerDrivesTreeWidget;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        tree->topLevelItem(i)->setCheckState(0, Qt::Checked);
}
