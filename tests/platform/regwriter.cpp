// Writes one value many times, as a second program would: regwriter KEY VALUE TAG COUNT
#include "win32.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5)
        return 2;
    const QString key = args.at(1), value = args.at(2), tag = args.at(3);
    const int count = args.at(4).toInt();
    for (int i = 0; i < count; ++i) {
        HKEY h = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, wstr(key), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) !=
            ERROR_SUCCESS)
            return 3;
        // A long text, so that a torn write would show as a mix of two writers' texts.
        const QString text = QString(tag).repeated(200) + QString::number(i);
        const LONG rc = RegSetValueExW(h, wstr(value), 0, REG_SZ, reinterpret_cast<const BYTE *>(wstr(text)),
                                       DWORD(text.size() + 1) * 2);
        // Each writer also keeps its own counter, so a lost update would show.
        const QString own = QStringLiteral("count-") + tag;
        DWORD n = DWORD(i + 1);
        RegSetValueExW(h, wstr(own), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&n), 4);
        RegCloseKey(h);
        if (rc != ERROR_SUCCESS)
            return 4;
    }
    return 0;
}
