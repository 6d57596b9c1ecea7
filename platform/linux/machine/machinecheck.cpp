// The check both programs make before they start: a machine whose database is damaged (or cannot be
// opened), or a folder that cannot be a machine, is reported, never used. The damaged file stays where it is,
// untouched, for the user to keep.
#include "win32.h"
#include "linux/machine/machine.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

bool machineUsable()
{
    // Opening checks the database of a machine used before, and creates and seeds a new one.
    const QString path = machine::databasePath();
    const int failure = machine::openFailure();
    if (!failure)
        return true;
    const QString file = QDir::toNativeSeparators(path);
    const QString folder = QDir::toNativeSeparators(QFileInfo(path).path());
    QString text;
    const QString problem = machine::folderProblem();
    if (!problem.isEmpty()) {
        text = QStringLiteral("The machine folder cannot be used:\n%1\n\n%2 Nothing in it was changed. Set "
                              "HUSHDECK_MACHINE to a folder you can write that is empty, new or a machine folder, "
                              "and start the program again.")
                   .arg(folder, problem);
    } else if (machine::isDamaged()) {
        text = QStringLiteral("The machine's database is damaged and cannot be used:\n%1\n\n"
                              "Nothing was changed in it. To start from a fresh machine, move the folder %2 aside "
                              "(or set HUSHDECK_MACHINE to another folder) and start the program again.")
                   .arg(file, folder);
    } else {
        text = QStringLiteral("The machine's database cannot be opened:\n%1\n\n%2.")
                   .arg(file, QString::fromUtf8(sqlite3_errstr(failure)));
    }
    MessageBoxW(nullptr, wstr(text), WSTR("Error"), MB_OK | MB_ICONERROR);
    return false;
}
