#include "troubleshooterform.h"
#include "ui_troubleshooterform.h"

#include "edition.h"
#include "filecheck.h"
#include "shellhelpers.h"
#include "win32.h"

#include <QDebug>
#include <QDir>
#include <QMessageBox>
#include <QProcessEnvironment>

namespace {

QString title()
{
    return TroubleshooterForm::tr(HUSHDECK_PRODUCT_NAME);
}

// A system program in the Windows folder's System32.
QString systemProgram(const QString &name)
{
    WCHAR windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return QString();
    return hostPath(fromWide(windows) + QStringLiteral("/system32/") + name);
}

} // namespace

TroubleshooterForm::TroubleshooterForm(QWidget *parent) : QWidget(parent), ui(new Ui::TroubleshooterForm)
{
    ui->setupUi(this);
}

TroubleshooterForm::~TroubleshooterForm()
{
    delete ui;
}

QProcess *TroubleshooterForm::newProcess()
{
    process = new QProcess(this);
    process->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    connect(process, SIGNAL(errorOccurred(QProcess::ProcessError)), this,
            SLOT(processErrorOccurred(QProcess::ProcessError)));
    connect(process, SIGNAL(started()), this, SLOT(processStarted()));
    connect(process, SIGNAL(finished(int, QProcess::ExitStatus)), this,
            SLOT(processFinished(int, QProcess::ExitStatus)));
    connect(process, SIGNAL(readyReadStandardOutput()), this, SLOT(myReadyReadStandardOutput()));
    return process;
}

void TroubleshooterForm::on_DNSCachePushButton_clicked()
{
    QProcess *p = newProcess();
    p->setProgram(systemProgram(QStringLiteral("ipconfig.exe")));
    p->setArguments({QStringLiteral("/flushdns")});
    p->start(QIODevice::ReadWrite);
}

void TroubleshooterForm::myReadyReadStandardOutput()
{
    if (auto *p = qobject_cast<QProcess *>(sender()))
        processOutput += QString::fromUtf8(p->readAllStandardOutput());
}

void TroubleshooterForm::processFinished(int, QProcess::ExitStatus)
{
    qDebug() << "processFinished";
    // The program's own words, shown as they came: never read as markup.
    QMessageBox box(QMessageBox::Information, title(), processOutput, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void TroubleshooterForm::processStarted()
{
    qDebug() << "processStarted";
    processOutput.clear();
}

void TroubleshooterForm::processErrorOccurred(QProcess::ProcessError)
{
    qDebug() << "processErrorOccurred";
}

QString TroubleshooterForm::explorerCacheFolder()
{
    // Without a profile there is nothing to repair: never a folder relative to wherever the program runs.
    const QString profile = userProfilePath();
    if (profile.isEmpty())
        return QString();
    return profile + QStringLiteral("/AppData/Local/Microsoft/Windows/Explorer");
}

TroubleshooterForm::ClearResult TroubleshooterForm::clearCacheFiles(const QString &folder, const QString &pattern)
{
    ClearResult result;
    if (folder.isEmpty() || !QDir(hostPath(folder)).exists())
        return result;
    qDebug() << folder;
    // Held from the profile down while its files go: a folder on the way that is a link, or becomes one, leads
    // elsewhere, and nothing there goes. Each file is checked on its own handle as it is deleted.
    filecheck::HeldFolders held;
    const bool reached = held.hold(userProfilePath(), folder);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wstr(nativeSeparators(folder + QLatin1Char('/') + pattern)), &data);
    if (find == INVALID_HANDLE_VALUE)
        return result;
    do {
        const QString name = fromWide(data.cFileName, MAX_PATH);
        if (name.compare(QLatin1String("."), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String(".."), Qt::CaseInsensitive) == 0 ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        const QString path = nativeSeparators(folder + QLatin1Char('/') + name);
        qDebug() << path;
        // A link in a file's place stays, as a file in use does, until Windows lets it go.
        if (reached && filecheck::deleteChecked(path, filecheck::NotALink))
            ++result.deleted;
        else
            ++result.failed;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return result;
}

void TroubleshooterForm::clearCache(const QString &pattern, const QString &kind)
{
    const QString folder = explorerCacheFolder();
    if (folder.isEmpty() || !QDir(hostPath(folder)).exists())
        return;
    const ClearResult result = clearCacheFiles(folder, pattern);
    const QString restart =
        QStringLiteral("\n Restart your computer to force Windows to build new %1 cache database files.").arg(kind);
    QString text;
    if (result.deleted >= 2)
        text = QString::number(result.deleted) +
               QStringLiteral(" %1 cache database files have been successfully cleared.").arg(kind) + restart;
    else if (result.deleted == 1 || result.failed == 0)
        text = QStringLiteral("%1 cache database files have been successfully cleared.")
                   .arg(kind.left(1).toUpper() + kind.mid(1)) +
               restart;
    if (result.failed > 0) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += result.failed == 1
                    ? QStringLiteral("1 %1 cache database file could not be deleted.").arg(kind)
                    : QStringLiteral("%1 %2 cache database files could not be deleted.").arg(result.failed).arg(kind);
    }
    QMessageBox::information(this, title(), text, QMessageBox::Ok);
}

void TroubleshooterForm::on_IconCachePushButton_clicked()
{
    clearCache(QStringLiteral("iconcache_*.db"), QStringLiteral("icon"));
}

void TroubleshooterForm::on_ThumbnailCachePushButton_clicked()
{
    clearCache(QStringLiteral("thumbcache_*.db"), QStringLiteral("thumbnail"));
}

void TroubleshooterForm::on_MicrosoftStoreCachePushButton_clicked()
{
    QProcess *p = newProcess();
    // The completion box only when the program really started; it runs on by itself.
    if (!p->startDetached(systemProgram(QStringLiteral("wsreset.exe")), {})) {
        QMessageBox::warning(this, title(),
                             tr("The Microsoft Store cache could not be cleared: wsreset.exe could not be started."),
                             QMessageBox::Ok);
        return;
    }
    QMessageBox::information(this, title(),
                             QStringLiteral("The cache cleaning process has been completed. Now Windows Store App will "
                                            "be opened in order to rebuild new cache files."),
                             QMessageBox::Ok);
}
