// Menus: kept in process memory. TrackPopupMenu shows a real menu where the desktop can; elsewhere it takes
// the machine's scripted answer ("TrackPopupMenu": a command id, or "" for dismissing the menu). Either way
// the menu is recorded, ticks included.
#include "linux/windows/menus.h"

#include "linux/machine/machine.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMutex>
#include <QSet>
#include <QThread>

struct HMENU__
{
    struct Entry
    {
        UINT flags;
        UINT_PTR id;
        QString text;
        HMENU__ *sub;
    };
    QList<Entry> entries;
};

namespace {

struct Live
{
    QMutex mutex;
    QSet<HMENU__ *> menus;
};

Live &live()
{
    static Live l;
    return l;
}

bool isLive(HMENU menu)
{
    Live &l = live();
    QMutexLocker g(&l.mutex);
    return menu && l.menus.contains(menu);
}

HMENU newMenu()
{
    auto *m = new HMENU__;
    Live &l = live();
    QMutexLocker g(&l.mutex);
    l.menus.insert(m);
    return m;
}

void collect(HMENU menu, const QString &prefix, QList<menus::Item> *out)
{
    for (const HMENU__::Entry &e : std::as_const(menu->entries)) {
        menus::Item item;
        item.separator = e.flags & MF_SEPARATOR;
        item.popup = e.flags & MF_POPUP;
        item.checked = e.flags & MF_CHECKED;
        item.id = item.popup ? 0 : e.id;
        item.path = prefix + (item.separator ? QStringLiteral("-") : e.text);
        out->append(item);
        if (item.popup && e.sub)
            collect(e.sub, item.path + QLatin1Char('/'), out);
    }
}

// The entry with a command id, searched in sub-menus too (as MF_BYCOMMAND does).
HMENU__::Entry *findCommand(HMENU menu, UINT_PTR id)
{
    for (HMENU__::Entry &e : menu->entries) {
        if ((e.flags & MF_POPUP) && e.sub) {
            if (HMENU__::Entry *found = findCommand(e.sub, id))
                return found;
        } else if (!(e.flags & MF_SEPARATOR) && e.id == id) {
            return &e;
        }
    }
    return nullptr;
}

void destroyTree(HMENU menu)
{
    {
        Live &l = live();
        QMutexLocker g(&l.mutex);
        if (!l.menus.remove(menu))
            return;
    }
    for (const HMENU__::Entry &e : std::as_const(menu->entries))
        if ((e.flags & MF_POPUP) && e.sub)
            destroyTree(e.sub);
    delete menu;
}

bool canShowMenus()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) &&
           QGuiApplication::platformName() != QLatin1String("offscreen") &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

void fill(QMenu *qmenu, HMENU menu)
{
    for (const HMENU__::Entry &e : std::as_const(menu->entries)) {
        if (e.flags & MF_SEPARATOR) {
            qmenu->addSeparator();
        } else if ((e.flags & MF_POPUP) && e.sub) {
            fill(qmenu->addMenu(e.text), e.sub);
        } else {
            QAction *a = qmenu->addAction(e.text);
            a->setData(QVariant::fromValue(qulonglong(e.id)));
            a->setCheckable(e.flags & MF_CHECKED);
            a->setChecked(e.flags & MF_CHECKED);
            a->setEnabled(!(e.flags & (MF_GRAYED | MF_DISABLED)));
        }
    }
}

UINT_PTR showMenu(HMENU menu, int x, int y)
{
    QMenu qmenu;
    fill(&qmenu, menu);
    QAction *chosen = qmenu.exec(QPoint(x, y));
    return chosen ? UINT_PTR(chosen->data().toULongLong()) : 0;
}

} // namespace

namespace menus {

QList<Item> items(HMENU menu)
{
    QList<Item> out;
    if (isLive(menu))
        collect(menu, QString(), &out);
    return out;
}

QString describe(HMENU menu)
{
    QStringList parts;
    for (const Item &item : items(menu))
        if (!item.separator && !item.popup)
            parts << item.path + QLatin1Char('#') + QString::number(item.id) +
                         (item.checked ? QStringLiteral("*") : QString());
    return parts.join(QLatin1Char(';'));
}

} // namespace menus

HMENU WINAPI CreatePopupMenu()
{
    return newMenu();
}

BOOL WINAPI AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem)
{
    if (!isLive(hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    HMENU__::Entry e{uFlags, uIDNewItem, (uFlags & MF_SEPARATOR) ? QString() : fromWide(lpNewItem), nullptr};
    if (uFlags & MF_POPUP) {
        e.sub = reinterpret_cast<HMENU>(uIDNewItem);
        if (!isLive(e.sub)) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return FALSE;
        }
    }
    hMenu->entries.append(e);
    return TRUE;
}

BOOL WINAPI ModifyMenuW(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem)
{
    if (!isLive(hMnu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    HMENU__::Entry *e = nullptr;
    if (uFlags & MF_BYPOSITION) {
        if (uPosition < UINT(hMnu->entries.size()))
            e = &hMnu->entries[uPosition];
    } else {
        e = findCommand(hMnu, uPosition);
    }
    if (!e) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    e->flags = uFlags & ~MF_BYPOSITION;
    e->id = uIDNewItem;
    e->text = (uFlags & MF_SEPARATOR) ? QString() : fromWide(lpNewItem);
    e->sub = (uFlags & MF_POPUP) ? reinterpret_cast<HMENU>(uIDNewItem) : nullptr;
    return TRUE;
}

BOOL WINAPI DestroyMenu(HMENU hMenu)
{
    if (!isLive(hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    destroyTree(hMenu);
    return TRUE;
}

BOOL WINAPI TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT *)
{
    if (!isLive(hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    machine::log(QStringLiteral("TrackPopupMenu"), menus::describe(hMenu));
    UINT_PTR chosen = 0;
    if (std::optional<QString> answer = machine::takeAnswer(QStringLiteral("TrackPopupMenu"))) {
        const UINT_PTR id = answer->toULongLong();
        HMENU__::Entry *e = id ? findCommand(hMenu, id) : nullptr;
        if (e && !(e->flags & (MF_GRAYED | MF_DISABLED)))
            chosen = id;
    } else if (canShowMenus()) {
        chosen = showMenu(hMenu, x, y);
    }
    if (uFlags & TPM_RETURNCMD)
        return BOOL(chosen);
    if (chosen && !(uFlags & TPM_NONOTIFY))
        PostMessageW(hWnd, WM_COMMAND, WPARAM(chosen & 0xFFFF), 0);
    return TRUE;
}

int WINAPI GetMenuItemCount(HMENU hMenu)
{
    if (!isLive(hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return -1;
    }
    return int(hMenu->entries.size());
}

UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags)
{
    if (!isLive(hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return UINT(-1);
    }
    const HMENU__::Entry *e = nullptr;
    if (uFlags & MF_BYPOSITION)
        e = uId < UINT(hMenu->entries.size()) ? &hMenu->entries.at(uId) : nullptr;
    else
        e = findCommand(hMenu, uId);
    if (!e)
        return UINT(-1);
    const UINT state = e->flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR);
    // A sub-menu's item tells how many items the sub-menu has, in the high byte.
    if ((e->flags & MF_POPUP) && e->sub && isLive(e->sub))
        return (UINT(e->sub->entries.size()) << 8) | (state & 0xFF);
    return state;
}
