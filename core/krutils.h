// Stateless utilities shared by every module: registry access, paths, the Windows version test, a folder
// picker, shell links and control of the helper program. Make one on the stack where it is needed.
#pragma once

#include "edition.h"
#include "win32.h"

#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVector>

class QIcon;

// The installation folder, set once at start-up.
extern QString installPath;
// The Windows build number, written by KRUtils::isWindows11.
extern quint32 windowsBuildNumber;

// One-shot requests that setting pages raise and the catalogue carries out after applying changes.
extern bool restartExplorerPending;
extern bool themeRefreshPending;
extern bool shellRefreshPending;

// The program's own settings root under HKEY_CURRENT_USER.
#define HUSHDECK_SETTINGS_ROOT "Software\\" HUSHDECK_PRODUCT_NAME
// The edition this build is, chosen when the build is configured (HUSHDECK_BASIC_EDITION): true for the
// Plus! edition, false for the basic edition.
constexpr bool plusEdition = HUSHDECK_PLUS_EDITION != 0;

// Names of the file categories, shared by every module that sorts files by kind.
namespace KRCategory {
inline constexpr const char RasterImageFiles[] = "Raster Image Files";
inline constexpr const char ThreeDImageFiles[] = "3D Image Files";
inline constexpr const char AudioFiles[] = "Audio Files";
inline constexpr const char BackupFiles[] = "Backup Files";
inline constexpr const char CompressedFiles[] = "Compressed Files";
inline constexpr const char DiskImageFiles[] = "Disk Image Files";
inline constexpr const char DocumentFiles[] = "Document Files";
inline constexpr const char FontFiles[] = "Font Files";
inline constexpr const char InstallerFiles[] = "Installer and Executable Files";
inline constexpr const char VectorImageFiles[] = "Vector Image Files";
inline constexpr const char VideoFiles[] = "Video Files";
inline constexpr const char WebFiles[] = "Web Files";
inline constexpr const char OtherFileTypes[] = "Other file types";
} // namespace KRCategory

// One file category: a named list of extensions (each with its leading dot, lower case).
struct FileCategory
{
    QString name;
    QStringList extensions;
    bool enabled = true;
    QIcon *icon = nullptr; // not owned; the module caches a shell icon here
    quint64 totalBytes = 0;
};

// One volume, its fields ready-made display texts.
struct DriveInfo
{
    QString displayName;
    char letter = 0;
    QString rootPath;
    QString serialNumber;
    QString fileSystem;
    QString maxComponentLength;
    QString totalSize;
    QString freeSize;
    float freePercent = 0;
    QString freePercentText;
    QString totalClusters;
    QString freeClusters;
    QString sectorsPerCluster;
    QString bytesPerSector;
    bool casePreservedNames = false;
    bool caseSensitiveSearch = false;
    bool fileCompression = false;
    bool namedStreams = false;
    bool persistentAcls = false;
    bool readOnlyVolume = false;
    bool sequentialWriteOnce = false;
    bool supportsEncryption = false;
    bool supportsExtendedAttributes = false;
    bool supportsHardLinks = false;
    bool supportsObjectIds = false;
    bool supportsOpenByFileId = false;
    bool supportsReparsePoints = false;
    bool supportsSparseFiles = false;
    bool supportsTransactions = false;
    bool supportsUsnJournal = false;
    bool unicodeOnDisk = false;
    bool volumeIsCompressed = false;
    bool volumeQuotas = false;
};

class KRUtils
{
public:
    KRUtils();

    // Registry: each call opens or creates its key and closes it before it returns.
    bool createRegKey(HKEY root, QString subKey);
    bool deleteRegKey(HKEY root, QString subKey, QString childName);
    bool deleteRegSubKeys(HKEY root, QString subKey);
    bool deleteRegValue(HKEY root, QString subKey, QString name);
    bool readRegBinary(HKEY root, QString subKey, QString name, BYTE *buffer, int *size, DWORD *type = nullptr);
    bool readRegDWORD(HKEY root, QString subKey, QString name, DWORD *value);
    bool readRegString(HKEY root, QString subKey, QString name, QString &text);
    // As readRegString, but an expandable string keeps its environment variables unexpanded.
    bool readRegStringRaw(HKEY root, QString subKey, QString name, QString &text);
    bool regKeyExists(HKEY root, QString subKey);
    bool writeRegBinary(HKEY root, QString subKey, QString name, const BYTE *data, int *size);
    bool writeRegDWORD(HKEY root, QString subKey, QString name, DWORD value);
    bool writeRegExpandString(HKEY root, QString subKey, QString name, QString text);
    bool writeRegString(HKEY root, QString subKey, QString name, QString text);

    // Drives and volumes, in drive-letter order.
    void listDrives(QVector<DriveInfo> &drives);
    void listFixedDrives(QVector<DriveInfo> &drives);
    void listFixedDriveRoots(QStringList &roots);
    void getDriveInfo(char letter, QString rootPath, DriveInfo &info);

    // File categories.
    void buildFileCategories(QList<FileCategory> &categories);
    void addRasterImageCategory(QList<FileCategory> &categories);
    void readCustomFileTypes(QString &types);
    QPixmap fileIcon(QString path);
    // The same picture as an image, for worker threads (pixmaps belong to the GUI thread).
    QImage fileIconImage(QString path);

    // Paths, version and helper control.
    QString appPath();
    QString backupFolder();
    bool isWindows11();
    QString browseForFolder(QString startFolder, QString title);
    HRESULT createLink(QString target, QString linkFile, QString workingFolder, QString arguments, QString iconFile);
    bool isGlasspanNeeded();
    void closeGlasspan();

private:
    bool readString(HKEY root, const QString &subKey, const QString &name, QString &text, bool raw);
    bool writeValue(HKEY root, const QString &subKey, const QString &name, DWORD type, const BYTE *data, DWORD size);
};
