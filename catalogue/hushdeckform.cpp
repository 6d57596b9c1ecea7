#include "hushdeckform.h"
#include "ui_hushdeckform.h"

#include "backuprecord.h"
#include "childpaths.h"
#include "filecheck.h"
#include "krutils.h"
#include "restorebackupdialog.h"
#include "reviewchangesdialog.h"
#include "settingpage.h"

#include <QDebug>
#include <QLabel>
#include <QScrollArea>
#include <QSet>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// The order in which the catalogue builds its tabs; it only decides when each page reads its setting.
const CatalogueTab buildOrder[] = {CatalogueTab::Taskbar,      CatalogueTab::Others,     CatalogueTab::Desktop,
                                   CatalogueTab::Privacy,      CatalogueTab::Appearance, CatalogueTab::System,
                                   CatalogueTab::FileExplorer, CatalogueTab::OemInfo};

QList<int> idsOf(const QList<KRGlobal::SettingsData> &entries)
{
    QList<int> ids;
    for (const KRGlobal::SettingsData &e : entries)
        ids << e.index;
    return ids;
}

// Ids of the pending entries that an apply pass was not given.
QList<int> idsLeftOut(const QList<KRGlobal::SettingsData> &pending, const QList<KRGlobal::SettingsData> &given)
{
    const QList<int> givenIds = idsOf(given);
    QList<int> ids;
    for (int id : idsOf(pending))
        if (!givenIds.contains(id))
            ids << id;
    return ids;
}

// A change's words cut to a line's length for a list in a message box.
QString shortened(const QString &text)
{
    const qsizetype room = 80;
    if (text.size() <= room)
        return text;
    qsizetype cut = room - 3;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QStringLiteral("...");
}

// The entries' words as the lines of a list in a message box.
QString listedForBox(const QList<KRGlobal::SettingsData> &entries)
{
    QString names;
    for (const KRGlobal::SettingsData &entry : entries)
        names += QStringLiteral("\n- ") + shortened(entry.desc);
    return names;
}

QList<KRGlobal::SettingsData> without(const QList<KRGlobal::SettingsData> &entries, const QList<int> &ids)
{
    QList<KRGlobal::SettingsData> kept;
    for (const KRGlobal::SettingsData &entry : entries)
        if (!ids.contains(entry.index))
            kept << entry;
    return kept;
}

} // namespace

HushdeckForm::HushdeckForm(QWidget *parent) : QWidget(parent), ui(new Ui::HushdeckForm)
{
    KRUtils utils;
    isWindows11 = utils.isWindows11();
    environment.windows11 = isWindows11;
    environment.buildNumber = windowsBuildNumber;
    environment.plusEdition = plusEdition;
    pages.fill(nullptr, pageTable().size());
    for (QVBoxLayout *&layout : tabLayouts)
        layout = nullptr;
    searchLayout = nullptr;

    ui->setupUi(this);

    backAction = new QAction(QIcon(QStringLiteral(":/resources/images/ArrowLeft24.png")), tr("Back"), this);
    saveAction = new QAction(QIcon(QStringLiteral(":/resources/images/Save24.png")), tr("Save"), this);
    cancelAction = new QAction(QIcon(QStringLiteral(":/resources/images/Cancel24.png")), tr("Cancel Changes"), this);
    reviewChangesAction =
        new QAction(QIcon(QStringLiteral(":/resources/images/Notepad24.png")), tr("Review Changes"), this);
    restoreBackupAction =
        new QAction(QIcon(QStringLiteral(":/resources/images/Undo24.png")), tr("Restore Backup"), this);
    searchAction = new QAction(QIcon(QStringLiteral(":/resources/images/Search24.png")), QString(), this);
    connect(backAction, &QAction::triggered, this, &HushdeckForm::OnBack);
    connect(saveAction, &QAction::triggered, this, &HushdeckForm::OnSave);
    connect(cancelAction, &QAction::triggered, this, &HushdeckForm::OnCancel);
    connect(reviewChangesAction, &QAction::triggered, this, &HushdeckForm::OnReviewChangesAction);
    connect(restoreBackupAction, &QAction::triggered, this, &HushdeckForm::OnRestoreBackupAction);
    connect(searchAction, &QAction::triggered, this, &HushdeckForm::OnSearchAction);

    auto *toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("toolbar"));
    toolbar->setOrientation(Qt::Horizontal);
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolbar->setIconSize(QSize(24, 24));
    toolbar->addAction(backAction);
    toolbar->addAction(saveAction);
    toolbar->addAction(cancelAction);
    toolbar->addAction(reviewChangesAction);
    toolbar->addAction(restoreBackupAction);
    toolbar->addSeparator();
    toolbar->addWidget(ui->searchLineEdit);
    toolbar->addAction(searchAction);
    saveAction->setEnabled(false);
    cancelAction->setEnabled(false);
    reviewChangesAction->setEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(toolbar);
    layout->addWidget(ui->tabWidget);
    layout->addWidget(ui->searchWidget);
    auto *searchWidgetLayout = new QVBoxLayout(ui->searchWidget);
    // Says so when a search finds nothing, rather than leaving a blank pane.
    noMatchLabel = new QLabel(ui->searchWidget);
    noMatchLabel->setObjectName(QStringLiteral("noMatchLabel"));
    // The line quotes what the user typed: shown as typed, never read as markup.
    noMatchLabel->setTextFormat(Qt::PlainText);
    noMatchLabel->hide();
    searchWidgetLayout->addWidget(noMatchLabel);
    searchWidgetLayout->addWidget(ui->searchScrollArea);
    ui->searchWidget->hide();
    backAction->setVisible(false);

    buildAllTabs();

    // Pages report while they are built; the catalogue starts with nothing pending all the same.
    settingChangeList.clear();
    ui->tabWidget->setCurrentIndex(0);
}

HushdeckForm::~HushdeckForm()
{
    // Placed pages belong to their layout's widget; a page shown nowhere has no parent.
    for (SettingPage *page : std::as_const(pages))
        if (page && !page->parent())
            delete page;
    delete ui;
}

SettingPage *HushdeckForm::page(const QMetaObject &pageClass) const
{
    const QList<PageRow> &rows = pageTable();
    for (int row = 0; row < rows.size(); ++row)
        if (rows.at(row).meta == &pageClass)
            return pages.at(row);
    return nullptr;
}

// ---- tabs and search ----

void HushdeckForm::buildAppearanceTab()
{
    buildTab(CatalogueTab::Appearance);
}

void HushdeckForm::buildDesktopTab()
{
    buildTab(CatalogueTab::Desktop);
}

void HushdeckForm::buildFileExplorerTab()
{
    buildTab(CatalogueTab::FileExplorer);
}

void HushdeckForm::buildOemInfoTab()
{
    buildTab(CatalogueTab::OemInfo);
}

void HushdeckForm::buildOthersTab()
{
    buildTab(CatalogueTab::Others);
}

void HushdeckForm::buildPrivacyTab()
{
    buildTab(CatalogueTab::Privacy);
}

void HushdeckForm::buildSystemTab()
{
    buildTab(CatalogueTab::System);
}

void HushdeckForm::buildTaskbarTab()
{
    buildTab(CatalogueTab::Taskbar);
}

void HushdeckForm::buildAllTabs()
{
    for (CatalogueTab tab : buildOrder) {
        switch (tab) {
        case CatalogueTab::Appearance:
            buildAppearanceTab();
            break;
        case CatalogueTab::Desktop:
            buildDesktopTab();
            break;
        case CatalogueTab::FileExplorer:
            buildFileExplorerTab();
            break;
        case CatalogueTab::Privacy:
            buildPrivacyTab();
            break;
        case CatalogueTab::System:
            buildSystemTab();
            break;
        case CatalogueTab::Taskbar:
            buildTaskbarTab();
            break;
        case CatalogueTab::OemInfo:
            buildOemInfoTab();
            break;
        case CatalogueTab::Others:
            buildOthersTab();
            break;
        }
    }
}

bool HushdeckForm::isShown(int row) const
{
    const PageRow &r = pageTable().at(row);
    return pages.at(row) && r.built(environment) && r.placed(environment);
}

void HushdeckForm::buildTab(CatalogueTab tab)
{
    const QList<PageRow> &rows = pageTable();
    for (int row = 0; row < rows.size(); ++row) {
        const PageRow &r = rows.at(row);
        if (r.tab != tab || pages.at(row) || !r.built(environment))
            continue;
        SettingPage *page = r.create();
        pages[row] = page;
        connect(page, SIGNAL(settingChanged(int, QString, QString, QString, bool, QString)), this,
                SLOT(on_settingChanged(int, QString, QString, QString, bool, QString)));
    }

    QWidget *tabPages[catalogueTabCount] = {ui->tab_5, ui->tab_3, ui->tab_7, ui->tab_4,
                                            ui->tab_6, ui->tab,   ui->tab_8, ui->tab_2};
    QScrollArea *scrollAreas[catalogueTabCount] = {ui->scrollArea_5, ui->scrollArea_3, ui->scrollArea_7,
                                                   ui->scrollArea_4, ui->scrollArea_6, ui->scrollArea,
                                                   ui->scrollArea_8, ui->scrollArea_2};
    const int t = int(tab);
    QVBoxLayout *&layout = tabLayouts[t];
    if (!layout)
        layout = new QVBoxLayout;

    // The tab's pages in display order, taken out wherever they stand and added again, so a rebuild
    // never shows a page twice.
    QList<int> shown;
    for (int row = 0; row < rows.size(); ++row)
        if (rows.at(row).tab == tab && isShown(row))
            shown << row;
    std::stable_sort(shown.begin(), shown.end(),
                     [&rows](int a, int b) { return rows.at(a).position < rows.at(b).position; });
    for (int row : std::as_const(shown)) {
        layout->removeWidget(pages.at(row));
        if (searchLayout)
            searchLayout->removeWidget(pages.at(row));
    }
    for (int row : std::as_const(shown))
        layout->addWidget(pages.at(row));

    layout->setAlignment(Qt::AlignTop);
    QWidget *contents = scrollAreas[t]->widget();
    if (contents->layout() != layout)
        contents->setLayout(layout);
    if (!tabPages[t]->layout()) {
        auto *tabLayout = new QVBoxLayout(tabPages[t]);
        tabLayout->addWidget(scrollAreas[t]);
    }
}

void HushdeckForm::clearSearchResults()
{
    if (!searchLayout)
        return;
    for (SettingPage *page : std::as_const(pages))
        if (page)
            searchLayout->removeWidget(page);
    buildAllTabs();
}

void HushdeckForm::OnSearchAction(bool)
{
    if (!searchLayout)
        searchLayout = new QVBoxLayout;
    clearSearchResults();
    const QString keyword = ui->searchLineEdit->text();
    const QList<PageRow> &rows = pageTable();
    int found = 0;
    for (int row = 0; row < rows.size(); ++row) {
        if (!isShown(row) || !pages.at(row)->matchesKeyword(keyword))
            continue;
        tabLayouts[int(rows.at(row).tab)]->removeWidget(pages.at(row));
        searchLayout->addWidget(pages.at(row));
        ++found;
    }
    noMatchLabel->setText(QStringLiteral("No setting matches \"%1\".").arg(keyword));
    noMatchLabel->setVisible(found == 0);
    searchLayout->setAlignment(Qt::AlignTop);
    if (ui->searchScrollAreaWidgetContents->layout() != searchLayout)
        ui->searchScrollAreaWidgetContents->setLayout(searchLayout);
    ui->tabWidget->hide();
    ui->searchWidget->show();
    backAction->setVisible(true);
}

void HushdeckForm::on_searchLineEdit_returnPressed()
{
    OnSearchAction(false);
}

void HushdeckForm::OnBack(bool)
{
    clearSearchResults();
    ui->tabWidget->show();
    ui->searchWidget->hide();
    backAction->setVisible(false);
}

// ---- pending changes ----

void HushdeckForm::on_settingChanged(int index, QString desc, QString location, QString oldValue, bool isDefault,
                                     QString oldDesc)
{
    qDebug() << "on_settingChanged: " << index << desc << oldDesc;
    qDebug() << "index: " << index;
    qDebug() << "settingChangeList.size(): " << settingChangeList.size();
    for (int i = 0; i < settingChangeList.size(); ++i) {
        if (settingChangeList.at(i).index == index) {
            settingChangeList.removeAt(i);
            break;
        }
    }
    KRGlobal::SettingsData entry;
    entry.index = index;
    entry.desc = desc;
    entry.reserved = false;
    entry.location = location;
    entry.oldValue = oldValue;
    entry.isDefault = isDefault;
    entry.oldDesc = oldDesc;
    settingChangeList.append(entry);

    qDebug() << "enableSaveButton";
    saveAction->setEnabled(true);
    cancelAction->setEnabled(true);
    reviewChangesAction->setEnabled(true);
    emit enableSaveButton();
}

SettingPage *HushdeckForm::pageOfId(int id) const
{
    const int row = pageRowOfId(id);
    if (row < 0 || !pages.at(row) || !pageTable().at(row).built(environment))
        return nullptr;
    return pages.at(row);
}

void HushdeckForm::loadSettingById(int id)
{
    if (SettingPage *page = pageOfId(id))
        page->loadSetting();
}

bool HushdeckForm::writeDataById(int id, bool fromStored, bool removeValue, QString storedValue)
{
    SettingPage *page = pageOfId(id);
    return page && page->writeSetting(id, fromStored, removeValue, storedValue);
}

HushdeckForm::ApplyResult HushdeckForm::applyPass(const QList<KRGlobal::SettingsData> &entries, bool fromStored)
{
    ApplyResult result;
    for (const KRGlobal::SettingsData &entry : entries) {
        if (!pageOfId(entry.index)) {
            ++result.done; // an id that reaches no page is skipped, as the dispatch does
            continue;
        }
        const bool raised[] = {themeRefreshPending, shellRefreshPending, restartExplorerPending};
        if (!writeDataById(entry.index, fromStored, fromStored && entry.isDefault,
                           fromStored ? entry.oldValue : QString())) {
            // Nothing of this entry reached the system: no follow-up step runs on its account.
            themeRefreshPending = raised[0];
            shellRefreshPending = raised[1];
            restartExplorerPending = raised[2];
            break;
        }
        ++result.done;
        ++result.written;
    }
    return result;
}

void HushdeckForm::reloadSettings(const QList<int> &ids, const QList<KRGlobal::SettingsData> &waiting)
{
    QSet<SettingPage *> holdingChoices;
    for (const KRGlobal::SettingsData &entry : waiting)
        if (SettingPage *page = pageOfId(entry.index))
            holdingChoices.insert(page);
    for (int id : ids) {
        SettingPage *page = pageOfId(id);
        if (!page)
            continue;
        // A whole-page reload would put the stored values over the choices that still wait to be written.
        if (holdingChoices.contains(page))
            page->reloadSetting(id);
        else
            page->loadSetting();
    }
}

void HushdeckForm::dropPendingChanges()
{
    settingChangeList.clear();
    emit disableSaveButton();
    saveAction->setEnabled(false);
    cancelAction->setEnabled(false);
    reviewChangesAction->setEnabled(false);
}

bool HushdeckForm::applyChanges(const QList<KRGlobal::SettingsData> entries)
{
    // Pages report again while they reload: work on the lists as they stood when the apply began.
    const QList<KRGlobal::SettingsData> pending = settingChangeList;
    // A change whose earlier text a backup cannot hold whole is applied only when the user agrees; kept
    // back, it stays pending and nothing of it is written, not even its backup record.
    const QList<int> kept = idsOf(confirmCutBackups(entries, pending));
    const QList<KRGlobal::SettingsData> toApply = without(entries, kept);
    const QList<KRGlobal::SettingsData> toBackUp = without(pending, kept);
    if (toApply.isEmpty() && !kept.isEmpty())
        return false; // every change kept back: nothing to write, the list stays as it is
    if (!toBackUp.isEmpty() && !writeBackup(toBackUp) && !confirmApplyWithoutBackup())
        return false;
    const int done = applyPass(toApply, false).done;
    // What was not written waits as it was recorded (the review hands back entries without old values).
    const QList<int> notWritten = idsOf(toApply.mid(done)) + kept;
    QList<KRGlobal::SettingsData> waiting;
    for (const KRGlobal::SettingsData &entry : pending)
        if (notWritten.contains(entry.index))
            waiting << entry;

    // Changes left out of a reviewed apply are dropped: their pages show the system again.
    reloadSettings(idsOf(toApply.mid(0, done)) + idsLeftOut(pending, entries), waiting);
    finishApply(waiting);
    if (done < toApply.size()) {
        reportWriteFailure(toApply.at(done));
        return false;
    }
    return kept.isEmpty();
}

QList<KRGlobal::SettingsData> HushdeckForm::confirmCutBackups(const QList<KRGlobal::SettingsData> &entries,
                                                              const QList<KRGlobal::SettingsData> &pending)
{
    // The pending entries carry the old values: the review hands back entries without them.
    const QList<int> given = idsOf(entries);
    QList<KRGlobal::SettingsData> tooLong;
    for (const KRGlobal::SettingsData &entry : pending)
        if (given.contains(entry.index) && !BackupRecord::holdsWhole(entry.oldValue))
            tooLong << entry;
    if (tooLong.isEmpty())
        return {};
    const QString text =
        QStringLiteral("A backup keeps the first %1 characters of a text. The earlier text of these settings is "
                       "longer, so Restore Backup could not give it back whole:%2\n\nDo you want to apply these "
                       "changes all the same? Choose No to keep them pending.")
            .arg(BackupRecord::textUnits - 1)
            .arg(listedForBox(tooLong));
    if (MessageBoxW(nullptr, wstr(text), WSTR("Confirm Changes Without Full Backup"),
                    MB_ICONWARNING | MB_YESNO | MB_DEFBUTTON2) == IDYES)
        return {};
    return tooLong;
}

bool HushdeckForm::OnSave(bool)
{
    // A copy: the list itself changes while the pass runs.
    const QList<KRGlobal::SettingsData> entries = settingChangeList;
    return applyChanges(entries);
}

void HushdeckForm::OnCancel(bool)
{
    if (MessageBoxW(nullptr, WSTR("Are you sure you want to cancel all changes?"), WSTR("Confirm Changes Cancellation"),
                    MB_ICONWARNING | MB_YESNO) != IDYES)
        return;
    const QList<KRGlobal::SettingsData> entries = settingChangeList;
    for (const KRGlobal::SettingsData &entry : entries)
        loadSettingById(entry.index);
    dropPendingChanges();
}

bool HushdeckForm::confirmApplyWithoutBackup()
{
    // Without a backup the changes cannot be undone from the Restore Backup list: the user decides.
    return MessageBoxW(nullptr,
                       WSTR("No backup file could be written, so these changes could not be undone with Restore "
                            "Backup.\nDo you want to apply them without a backup?"),
                       WSTR("Confirm Changes Without Backup"), MB_ICONWARNING | MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void HushdeckForm::reportWriteFailure(const KRGlobal::SettingsData &entry)
{
    const QString text =
        QStringLiteral("\"%1\" could not be written.\nIt and the changes after it were not applied.").arg(entry.desc);
    MessageBoxW(nullptr, wstr(text), WSTR("Error"), MB_ICONERROR | MB_OK);
}

void HushdeckForm::finishApply(const QList<KRGlobal::SettingsData> &stillPending)
{
    if (stillPending.isEmpty()) {
        dropPendingChanges();
    } else {
        settingChangeList = stillPending;
        saveAction->setEnabled(true);
        cancelAction->setEnabled(true);
        reviewChangesAction->setEnabled(true);
    }
    if (themeRefreshPending) {
        themeRefreshPending = false;
        refreshTheme();
    }
    if (shellRefreshPending) {
        shellRefreshPending = false;
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH | SHCNF_FLUSHNOWAIT, nullptr, nullptr);
    }
    if (restartExplorerPending) {
        restartExplorerPending = false;
        restartExplorer();
    }
}

void HushdeckForm::refreshTheme()
{
    // Windows redraws with the accent colour setting once the colour mode of apps changes: flip it and put
    // back exactly what was there (a value other than 0 or 1 included).
    const QString key = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize");
    const QString name = QStringLiteral("AppsUseLightTheme");
    // The value ends as it was, whatever it held (2 included), and absent again when it was absent.
    KRUtils utils;
    DWORD light = 1;
    const bool present = utils.readRegDWORD(HKEY_CURRENT_USER, key, name, &light);
    utils.writeRegDWORD(HKEY_CURRENT_USER, key, name, light == 1 ? 0 : 1);
    // Back to exactly what was there, so a value outside 0 and 1, or none, survives the refresh.
    if (present)
        utils.writeRegDWORD(HKEY_CURRENT_USER, key, name, light);
    else
        utils.deleteRegValue(HKEY_CURRENT_USER, key, name);
}

void HushdeckForm::restartExplorer()
{
    // Ending the process that owns the taskbar is enough: Windows starts its shell again by itself.
    HWND taskbar = FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
    DWORD pid = 0;
    if (taskbar)
        GetWindowThreadProcessId(taskbar, &pid);
    HANDLE process = pid ? OpenProcess(PROCESS_TERMINATE, FALSE, pid) : nullptr;
    if (!process)
        return;
    TerminateProcess(process, 2);
    CloseHandle(process);
}

// ---- backups ----

QString HushdeckForm::nextBackupPath(QString folder, DWORD *nextIndex)
{
    KRUtils utils;
    DWORD n = 1;
    utils.readRegDWORD(HKEY_CURRENT_USER, QStringLiteral(HUSHDECK_SETTINGS_ROOT), QStringLiteral("BackupIndex"), &n);
    QString name = BackupRecord::fileName(n);
    // Only a guess at a free name: the file is made new, so a name taken meanwhile is refused, never written.
    while (GetFileAttributesW(wstr(childpaths::callable(folder + QLatin1Char('\\') + name))) != INVALID_FILE_ATTRIBUTES)
        name = BackupRecord::fileName(++n);
    if (nextIndex)
        *nextIndex = n + 1;
    return folder + QLatin1Char('\\') + name;
}

bool HushdeckForm::writeBackup()
{
    return writeBackup(settingChangeList);
}

bool HushdeckForm::writeBackup(const QList<KRGlobal::SettingsData> &entries)
{
    KRUtils utils;
    const QString folder = utils.backupFolder();
    if (folder.isEmpty())
        return false;
    // Held from the application-data folder down while the backup is written, so a link put on the way
    // cannot take it elsewhere. The installation provides the product's folder and its Backup folder; should
    // one be gone, it is made again in the held folder above it, then held itself as a plain folder.
    const QString product = filecheck::folderOf(folder);
    const QString appData = filecheck::folderOf(product);
    filecheck::HeldFolders held;
    if (!held.hold(appData, appData))
        return false;
    for (const QString &below : {product, folder}) {
        if (held.push(below) != INVALID_HANDLE_VALUE)
            continue;
        // Not there as a plain folder: made only where nothing has the name (a link or a file keeps it).
        if (!CreateDirectoryW(wstr(childpaths::callable(below)), nullptr) || held.push(below) == INVALID_HANDLE_VALUE)
            return false;
    }
    // A name taken between the guess and the making is passed over; a few tries, never an endless loop.
    for (int tries = 0; tries < 16; ++tries) {
        DWORD next = 0;
        const QString path = nextBackupPath(folder, &next);
        qDebug() << "backupFullPath: " << path;
        if (BackupRecord::writeFile(path, entries)) {
            // The counter moves on only past a file that exists.
            utils.writeRegDWORD(HKEY_CURRENT_USER, QStringLiteral(HUSHDECK_SETTINGS_ROOT),
                                QStringLiteral("BackupIndex"), next);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

void HushdeckForm::OnRestoreBackupAction(bool)
{
    auto *dialog = new RestoreBackupDialog(this);
    connect(dialog, SIGNAL(restoreBackup(QList<KRGlobal::SettingsData>)), this,
            SLOT(on_restoreBackup(QList<KRGlobal::SettingsData>)));
    dialog->loadBackupList();
    dialog->exec();
}

void HushdeckForm::on_restoreBackup(QList<KRGlobal::SettingsData> newSettingChangeList)
{
    qDebug() << "on_restoreBackup" << newSettingChangeList.size();
    const QList<KRGlobal::SettingsData> pending = settingChangeList;
    QList<int> intact, declined;
    confirmCutRestores(newSettingChangeList, &intact, &declined);
    const QList<KRGlobal::SettingsData> toWrite = without(newSettingChangeList, intact + declined);
    const ApplyResult result = applyPass(toWrite, true);
    // Pending changes are dropped by the restore: their pages must not go on showing choices never written.
    reloadSettings(idsOf(newSettingChangeList) + idsLeftOut(pending, newSettingChangeList), {});
    finishApply();
    if (result.done < toWrite.size())
        reportWriteFailure(toWrite.at(result.done));
    // The dialog deletes the backup file only when everything in it is back in the system: written, or held
    // exactly already. A text the user chose not to restore keeps the file.
    if (auto *dialog = qobject_cast<RestoreBackupDialog *>(sender()))
        dialog->setRestoreComplete(result.written == toWrite.size() && declined.isEmpty());
}

void HushdeckForm::confirmCutRestores(const QList<KRGlobal::SettingsData> &entries, QList<int> *intact,
                                      QList<int> *declined)
{
    QList<KRGlobal::SettingsData> shorter;
    for (const KRGlobal::SettingsData &entry : entries) {
        if (!entry.reserved)
            continue;
        // Only a setting that holds exactly the record's text is back as it was. One that merely begins with it
        // may have been changed past the part the record holds (or added to), which no record can tell.
        const SettingPage *page = pageOfId(entry.index);
        QString now;
        if (page && page->currentText(entry.index, &now) && now == entry.oldValue)
            *intact << entry.index;
        else
            shorter << entry;
    }
    if (shorter.isEmpty())
        return;
    const QString text =
        QStringLiteral("A backup keeps the first %1 characters of a text. It may hold only the beginning of the "
                       "earlier text of these settings, so restoring them could write that beginning in place of "
                       "what they hold now:%2\n\nDo you want to restore these settings all the same? Choose No "
                       "to leave them as they are and keep the backup file.")
            .arg(BackupRecord::textUnits - 1)
            .arg(listedForBox(shorter));
    if (MessageBoxW(nullptr, wstr(text), WSTR("Confirm Restore Of Shortened Text"),
                    MB_ICONWARNING | MB_YESNO | MB_DEFBUTTON2) != IDYES)
        *declined = idsOf(shorter);
}

// ---- review ----

void HushdeckForm::OnReviewChangesAction(bool)
{
    auto *dialog = new ReviewChangesDialog(this);
    connect(dialog, SIGNAL(applyChanged(QList<KRGlobal::SettingsData>)), this,
            SLOT(on_applyChanged(QList<KRGlobal::SettingsData>)));
    dialog->setSettingChangeList(&settingChangeList);
    dialog->loadChanges();
    dialog->exec();
}

void HushdeckForm::on_applyChanged(QList<KRGlobal::SettingsData> newSettingChangeList)
{
    applyChanges(newSettingChangeList);
}
