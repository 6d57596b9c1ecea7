// The settings catalogue: a toolbar, eight tabs of setting pages and, in place of the tabs, the pages that
// a keyword search found. It owns every page and keeps the changes the pages report in its pending list
// until Save, a reviewed apply or Cancel Changes; a restore writes back the values of a backup file.
#pragma once

#include "krglobal.h"
#include "pagetable.h"
#include "win32.h"

#include <QAction>
#include <QList>
#include <QVector>
#include <QWidget>

class QLabel;
class QVBoxLayout;
class SettingPage;

namespace Ui {
class HushdeckForm;
}

class HushdeckForm : public QWidget
{
    Q_OBJECT

public:
    explicit HushdeckForm(QWidget *parent = nullptr);
    ~HushdeckForm() override;

    QAction *backAction;
    QAction *saveAction; // enabled while changes are pending; the main window asks it when closing
    QAction *cancelAction;
    QAction *reviewChangesAction;
    QAction *restoreBackupAction;
    QAction *searchAction;

    // Settled once, when the catalogue is built.
    bool isWindows11;
    // The pending list: one entry per setting id, in the order the settings were last changed.
    QList<KRGlobal::SettingsData> settingChangeList;

    // The page of a class, null while it is not built.
    SettingPage *page(const QMetaObject &pageClass) const;
    template <class Page> Page *page() const { return static_cast<Page *>(page(Page::staticMetaObject)); }

    // Reaching a page by setting id: ids whose page is not built, or not built on this system, are skipped.
    void loadSettingById(int id);
    // True when a page took the id and the system holds the value.
    bool writeDataById(int id, bool fromStored, bool removeValue, QString storedValue);
    // Records the pending list (or entries) in a new backup file; false when no file could be written.
    bool writeBackup();
    bool writeBackup(const QList<KRGlobal::SettingsData> &entries);
    // The full path of the next free backup file in folder; nextIndex gets the counter to store once the
    // file is written.
    QString nextBackupPath(QString folder, DWORD *nextIndex = nullptr);
    // The end of every apply pass: the pending list becomes stillPending (what was not written; emptied when
    // everything was), then the one-shot follow-up steps of what was written.
    void finishApply(const QList<KRGlobal::SettingsData> &stillPending = {});

signals:
    void enableSaveButton();
    void disableSaveButton();

public slots:
    void on_applyChanged(QList<KRGlobal::SettingsData> newSettingChangeList);
    void on_restoreBackup(QList<KRGlobal::SettingsData> newSettingChangeList);
    void on_settingChanged(int index, QString desc, QString location, QString oldValue, bool isDefault,
                           QString oldDesc);
    void OnBack(bool checked = false);
    // True when every pending change was written; otherwise what was not written stays pending.
    bool OnSave(bool checked = false);
    void OnCancel(bool checked = false);
    void OnReviewChangesAction(bool checked = false);
    void OnRestoreBackupAction(bool checked = false);
    void OnSearchAction(bool checked = false);
    void on_searchLineEdit_returnPressed();

private:
    void buildAppearanceTab();
    void buildDesktopTab();
    void buildFileExplorerTab();
    void buildOemInfoTab();
    void buildOthersTab();
    void buildPrivacyTab();
    void buildSystemTab();
    void buildTaskbarTab();
    void buildTab(CatalogueTab tab);
    void buildAllTabs();
    void clearSearchResults();
    bool isShown(int row) const;
    // What an apply pass did: entries before done were written (written of them) or reach no page; the
    // entry at done, if any, was refused and nothing after it was tried.
    struct ApplyResult
    {
        int done = 0;
        int written = 0;
    };

    // The page that takes a setting id on this system, or null.
    SettingPage *pageOfId(int id) const;
    // Writes the entries in order, the controls' values or (fromStored) the recorded ones, and stops at the
    // first write the system refuses.
    ApplyResult applyPass(const QList<KRGlobal::SettingsData> &entries, bool fromStored);
    // Reloads what the settings of ids show; pages that hold entries of waiting re-read only those ids.
    void reloadSettings(const QList<int> &ids, const QList<KRGlobal::SettingsData> &waiting);
    // Save and the reviewed apply: backup, apply pass, reload, finish. True when every entry was written.
    bool applyChanges(const QList<KRGlobal::SettingsData> entries);
    // Empties the pending list and disables the three actions that need one.
    void dropPendingChanges();
    bool confirmApplyWithoutBackup();
    // Asks before applying the entries whose earlier text (in pending) a backup record cannot hold whole;
    // gives those the user keeps pending, none when there are none or the user goes on.
    QList<KRGlobal::SettingsData> confirmCutBackups(const QList<KRGlobal::SettingsData> &entries,
                                                    const QList<KRGlobal::SettingsData> &pending);
    // Sorts out the restored entries whose record may hold only the beginning of the earlier text: those whose
    // setting holds exactly the record's text are left as they are (given back as intact); for the others the
    // user is asked, and those refused come back as declined.
    void confirmCutRestores(const QList<KRGlobal::SettingsData> &entries, QList<int> *intact, QList<int> *declined);
    // Names the setting that could not be written, as the lists word it.
    void reportWriteFailure(const KRGlobal::SettingsData &entry);
    void refreshTheme();
    void restartExplorer();

    Ui::HushdeckForm *ui;
    PageEnvironment environment;
    QVector<SettingPage *> pages; // by row of the page table
    QVBoxLayout *tabLayouts[catalogueTabCount];
    QVBoxLayout *searchLayout;
    QLabel *noMatchLabel;
};
