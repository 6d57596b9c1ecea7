// Read-only facts about the running Windows installation for the System Information page: version, locale,
// folders, environment, startup items, scheduled tasks and codecs. Stateless: build one on the stack per use;
// every call reads the system at that moment and changes nothing.
#pragma once

#include "win32.h"

#include <QList>
#include <QString>
#include <QVector>

struct OsVersionInfo
{
    int major = 0;
    int minor = 0;
    int build = 0;
    QString productName;
    QString releaseName;
};

struct NameValuePair
{
    QString name;
    QString value;
};

// A startup entry (name, command, file whose icon stands for it); a scheduled task is (name, state, command).
struct StartupItem
{
    QString name;
    QString command;
    QString path;
};

// One codec row; type 0 audio (ACM driver format), 1 video compressor, 2 DirectShow filter, 3 DirectX Media
// Object. formatTag is the ACM format tag the audio rows are matched by.
struct CodecInfo
{
    QString version;
    QString name;
    QString vendor;
    QString fileName;
    int formatTag = 0;
    int type = 0;
};

// One record per format tag of every enabled ACM driver, rebuilt by SystemQuery::audioCodecs.
extern QVector<CodecInfo> acmCodecCache;

class SystemQuery
{
public:
    int scheduledTasks(QVector<StartupItem> &list);
    bool fileVersionInfo(CodecInfo &codec, QString fileName);
    void videoCodecs(QVector<CodecInfo> &list);
    void audioCodecs(QVector<CodecInfo> &list);
    static BOOL CALLBACK acmDriverCallback(HACMDRIVERID driverId, DWORD_PTR instance, DWORD support);
    LONG acmDriverFiles(QVector<CodecInfo> &list);
    void directShowFilters(QVector<CodecInfo> &list);
    HRESULT readFilterMoniker(IEnumMoniker *filters, QVector<CodecInfo> &list);
    void dmoCodecs(QVector<CodecInfo> &list);
    static QString codecTypeText(int type);
    // The program of a task's last action, from its XML; "" when it has none.
    static QString taskCommand(const QString &xml);
    static QString taskStateText(int state);
    bool getOsVersion(OsVersionInfo &info);
    QString editionName(DWORD major, DWORD minor, DWORD spMajor, DWORD spMinor, DWORD &productType);
    void localeAndUptime(QString &country, QString &language, QString &timeZone, QString &uptime);
    void windowsDirectories(QString &windowsDir, QString &systemDir);
    void specialFolders(QVector<NameValuePair> &list);
    void addSpecialFolder(QString name, int folderId, QVector<NameValuePair> &list);
    void environmentVariables(QVector<NameValuePair> &list);
    void startupFolderItems(QString folder, QVector<StartupItem> &list);
    void registryRunItems(HKEY root, QString subKey, bool view64, QVector<StartupItem> &list);
    void resolveShellLink(QString linkPath, QString &arguments, QString &iconLocation);
    QString expandEnvironment(QString text);

    // The pieces of the above that need no system.
    static QString productText(DWORD productType);
    // The release ("22H2") of a build, empty when unlisted; whether the build is Windows 11 (22000 on).
    static QString releaseOf(int build);
    static bool isWindows11Build(int build);
    static QString uptimeText(quint64 milliseconds);
    // The entries of an environment block ("name=value" each NUL-terminated, then an empty one).
    static void parseEnvironmentBlock(const WCHAR *block, QVector<NameValuePair> &list);
    // The program of a Run value, from its already expanded text: the path without its quotation marks and
    // without a trailing "-option".
    static QString cutRunPath(QString expanded);
};
