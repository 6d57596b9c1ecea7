// Shell_NotifyIconW: the simulated taskbar's notification area is a table of the machine (its icons go
// with the taskbar when Explorer ends); where the desktop has a tray, the icon is shown there as well and
// its clicks come back as the icon's callback message, as Windows sends them.
#include "linux/windows/notifyicons.h"

#include "linux/machine/machine.h"
#include "linux/windows/winloop.h"

#include <QApplication>
#include <QDebug>
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QThread>

using machine::Query;

namespace {

struct Key
{
    HWND hwnd;
    UINT uid;
    bool operator==(const Key &o) const { return hwnd == o.hwnd && uid == o.uid; }
};

size_t qHash(const Key &k, size_t seed = 0)
{
    return ::qHash(quintptr(k.hwnd), seed) ^ ::qHash(k.uid, seed);
}

// Real tray icons of this process; only touched on the GUI thread.
QHash<Key, QSystemTrayIcon *> &realIcons()
{
    static QHash<Key, QSystemTrayIcon *> icons;
    return icons;
}

bool canUseDesktopTray()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) &&
           QGuiApplication::platformName() != QLatin1String("offscreen") &&
           QThread::currentThread() == QCoreApplication::instance()->thread() &&
           QSystemTrayIcon::isSystemTrayAvailable();
}

UINT mouseMessage(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Context:
        return WM_RBUTTONDOWN;
    case QSystemTrayIcon::MiddleClick:
        return 0x0207; // WM_MBUTTONDOWN
    default:
        return WM_LBUTTONUP;
    }
}

void showReal(const NOTIFYICONDATAW *data, UINT callbackMessage)
{
    if (!canUseDesktopTray()) {
        // On a desktop without a tray the icon, and the menu it opens, are nowhere to be seen: say so once,
        // rather than run on without a word.
        static bool told = false;
        if (!told && qobject_cast<QApplication *>(QCoreApplication::instance()) &&
            QGuiApplication::platformName() != QLatin1String("offscreen") &&
            !QSystemTrayIcon::isSystemTrayAvailable()) {
            told = true;
            qWarning().noquote() << QCoreApplication::applicationName()
                                 << "- this desktop has no system tray, so the notification icon and its menu are "
                                    "not shown; the program keeps running.";
        }
        return;
    }
    const Key key{data->hWnd, data->uID};
    QSystemTrayIcon *icon = realIcons().value(key);
    if (!icon) {
        icon = new QSystemTrayIcon;
        realIcons().insert(key, icon);
        const HWND hwnd = data->hWnd;
        const UINT uid = data->uID;
        QObject::connect(icon, &QSystemTrayIcon::activated,
                         [hwnd, uid, callbackMessage](QSystemTrayIcon::ActivationReason reason) {
                             if (callbackMessage)
                                 PostMessageW(hwnd, callbackMessage, WPARAM(uid), LPARAM(mouseMessage(reason)));
                         });
    }
    if (data->uFlags & NIF_ICON) {
        const QImage image = imageFromIcon(data->hIcon);
        if (!image.isNull())
            icon->setIcon(QIcon(QPixmap::fromImage(image)));
    }
    if (data->uFlags & NIF_TIP)
        icon->setToolTip(fromWide(data->szTip, 128));
    icon->show();
}

void removeReal(HWND hwnd, UINT uid)
{
    if (!QCoreApplication::instance() || QThread::currentThread() != QCoreApplication::instance()->thread())
        return;
    if (QSystemTrayIcon *icon = realIcons().take(Key{hwnd, uid})) {
        icon->hide();
        delete icon;
    }
}

bool taskbarExists()
{
    return FindWindowW(WSTR("Shell_TrayWnd"), nullptr) != nullptr;
}

} // namespace

namespace notifyicons {

QList<Icon> icons()
{
    machine::Lock lock;
    QList<Icon> out;
    Query q("SELECT hwnd, uid, pid, tip, callback FROM notifyicons ORDER BY rowid");
    while (q.next())
        out.append(Icon{reinterpret_cast<HWND>(static_cast<quintptr>(q.integer(0))), UINT(q.integer(1)),
                        DWORD(q.integer(2)), q.text(3), UINT(q.integer(4))});
    return out;
}

} // namespace notifyicons

BOOL WINAPI Shell_NotifyIconW(DWORD dwMessage, PNOTIFYICONDATAW lpData)
{
    if (!lpData || lpData->cbSize < sizeof(DWORD) + sizeof(HWND) + sizeof(UINT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const qint64 hwnd = qint64(reinterpret_cast<quintptr>(lpData->hWnd));
    const qint64 uid = lpData->uID;
    const QString tip = (lpData->uFlags & NIF_TIP) ? fromWide(lpData->szTip, 128) : QString();
    const UINT callback = (lpData->uFlags & NIF_MESSAGE) ? lpData->uCallbackMessage : 0;
    switch (dwMessage) {
    case NIM_ADD: {
        // Without a taskbar (Explorer not running) there is nowhere to add to.
        if (!taskbarExists())
            return FALSE;
        {
            machine::Transaction tx;
            Query exists("SELECT 1 FROM notifyicons WHERE hwnd=? AND uid=?");
            exists.bind(1, hwnd).bind(2, uid);
            if (exists.next())
                return FALSE;
            Query ins("INSERT INTO notifyicons(hwnd, uid, pid, tip, callback) VALUES(?, ?, ?, ?, ?)");
            ins.bind(1, hwnd).bind(2, uid).bind(3, qint64(winloop::currentProcess())).bind(4, tip);
            ins.bind(5, qint64(callback)).exec();
            tx.commit();
        }
        machine::log(QStringLiteral("NotifyIcon"), QStringLiteral("add|%1|%2").arg(uid).arg(tip));
        showReal(lpData, callback);
        return TRUE;
    }
    case NIM_MODIFY: {
        machine::Lock lock;
        Query q("UPDATE notifyicons SET tip=CASE WHEN ? THEN ? ELSE tip END, "
                "callback=CASE WHEN ? THEN ? ELSE callback END WHERE hwnd=? AND uid=?");
        q.bind(1, qint64((lpData->uFlags & NIF_TIP) ? 1 : 0)).bind(2, tip);
        q.bind(3, qint64((lpData->uFlags & NIF_MESSAGE) ? 1 : 0)).bind(4, qint64(callback));
        q.bind(5, hwnd).bind(6, uid).exec();
        if (q.changes() == 0)
            return FALSE;
        showReal(lpData, callback);
        return TRUE;
    }
    case NIM_DELETE: {
        int removed = 0;
        {
            machine::Lock lock;
            Query q("DELETE FROM notifyicons WHERE hwnd=? AND uid=?");
            q.bind(1, hwnd).bind(2, uid).exec();
            removed = q.changes();
        }
        removeReal(lpData->hWnd, lpData->uID);
        if (!removed)
            return FALSE;
        machine::log(QStringLiteral("NotifyIcon"), QStringLiteral("delete|%1").arg(uid));
        return TRUE;
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}
