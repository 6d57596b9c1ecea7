// What the catalogue tests share: pages and controls by name, the backup folder, registry snapshots, the
// machine's log in order, and driving a modal dialog.
#pragma once

#include "backuprecord.h"
#include "hushdeckform.h"
#include "krutils.h"
#include "settingcases.h"
#include "linux/windows/windowtable.h"

#include <QApplication>
#include <QDir>
#include <QMap>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <sqlite3.h>

inline QString backupFolderHost()
{
    KRUtils u;
    return hostPath(u.backupFolder());
}

inline QStringList backupFiles()
{
    return QDir(backupFolderHost()).entryList({QStringLiteral("*.bak")}, QDir::Files, QDir::Name);
}

// The records of a backup file, as the restore dialog reads them; none when it is damaged.
inline QList<KRGlobal::SettingsData> backupRecords(const QString &name)
{
    QList<KRGlobal::SettingsData> records;
    BackupRecord::readFile(backupFolderHost() + QLatin1Char('/') + name, pageTableIds(), &records);
    return records;
}

inline DWORD backupIndex()
{
    KRUtils u;
    DWORD n = 0;
    if (!u.readRegDWORD(HKEY_CURRENT_USER, QStringLiteral(HUSHDECK_SETTINGS_ROOT), QStringLiteral("BackupIndex"), &n))
        return 0;
    return n;
}

// The page that owns a setting case, as the catalogue built it.
inline SettingPage *pageOf(HushdeckForm &catalog, const SettingCase &c)
{
    std::unique_ptr<SettingPage> probe(c.create());
    return catalog.page(*probe->metaObject());
}

inline void show(HushdeckForm &catalog, int id, int shown)
{
    const SettingCase &c = settingCase(id);
    showValue(pageOf(catalog, c), c, shown);
}

inline int shown(HushdeckForm &catalog, int id)
{
    const SettingCase &c = settingCase(id);
    return shownValue(pageOf(catalog, c), c);
}

inline QList<int> pendingIds(const HushdeckForm &catalog)
{
    QList<int> ids;
    for (const KRGlobal::SettingsData &e : catalog.settingChangeList)
        ids << e.index;
    return ids;
}

// Every value of the keys the pages of these tabs write, by key and name.
inline QMap<QString, RegValue> registrySnapshot()
{
    const QStringList keys = {
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize"),
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\DWM"),
        QStringLiteral("HKEY_CURRENT_"
                       "USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\NewStartPanel"),
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\"
                       "ClassicStartMenu"),
        QStringLiteral("HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics"),
        QStringLiteral("HKEY_CURRENT_USER\\Control Panel\\Desktop"),
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"),
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState"),
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
                       "HideMyComputerIcons"),
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer"),
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer"),
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StuckRects3"),
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Search"),
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\AdvertisingInfo"),
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection"),
        QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\DiagTrack"),
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OEMInformation"),
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"),
    };
    QMap<QString, RegValue> out;
    for (const SettingCase &c : settingCases())
        if (keptAsKey(c))
            if (const std::optional<RegValue> state = keyState(fullKey(c)))
                out.insert(fullKey(c) + QStringLiteral("|(key)"), *state);
    machine::Lock lock;
    for (const QString &key : keys) {
        const qint64 node = registrystore::findKey(key);
        if (!node)
            continue;
        for (const registrystore::ValueEntry &v : registrystore::values(node))
            out.insert(key + QLatin1Char('|') + v.name, RegValue{v.type, v.data});
    }
    return out;
}

// Records every write of a registry value of that name in the machine's log, as kind "RegWrite", so a
// test sees writes and the stand-in's other records in one order.
inline void logRegistryWrites(const QString &valueName)
{
    machine::Lock lock;
    const QString insert = QStringLiteral(
        "INSERT INTO log(kind, text, pid, at) VALUES('RegWrite', NEW.name || '=' || hex(NEW.data), 0, 0);");
    const QString condition = QStringLiteral(" ON regvalues WHEN NEW.name = '%1' BEGIN ").arg(valueName);
    for (const char *when : {"INSERT", "UPDATE"}) {
        const QString sql =
            QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS log_%1 AFTER %1").arg(QLatin1String(when)) + condition +
            insert + QStringLiteral(" END");
        sqlite3_exec(machine::db(), sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    }
}

// The kinds of the machine's log records among kinds, oldest first.
inline QStringList timeline(const QStringList &kinds)
{
    QStringList out;
    machine::Lock lock;
    machine::Query q("SELECT kind FROM log ORDER BY id");
    while (q.next())
        if (kinds.contains(q.text(0)))
            out << q.text(0);
    return out;
}

// The simulated Explorer: the taskbar window and its process.
inline QPair<HWND, DWORD> taskbar()
{
    HWND h = FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
    DWORD pid = 0;
    if (h)
        GetWindowThreadProcessId(h, &pid);
    return {h, pid};
}

// Runs act on the dialog of type D that the catalogue opens modally next.
template <class D> void onNextDialog(QWidget *parent, std::function<void(D *)> act)
{
    QTimer::singleShot(0, parent, [parent, act] {
        D *dialog = parent->findChild<D *>();
        if (dialog)
            act(dialog);
        else
            qWarning("no dialog to act on");
    });
}

inline QList<QWidget *> layoutWidgets(QLayout *layout)
{
    QList<QWidget *> out;
    if (!layout)
        return out;
    for (int i = 0; i < layout->count(); ++i)
        if (QWidget *w = layout->itemAt(i)->widget())
            out << w;
    return out;
}

inline QStringList classNames(const QList<QWidget *> &widgets)
{
    QStringList out;
    for (QWidget *w : widgets)
        out << QString::fromLatin1(w->metaObject()->className());
    return out;
}
