// The system query: version and edition, uptime texts, environment, startup folders and Run keys, over a
// fresh simulated machine.
#include "krutils.h"
#include "linux/system/codecs.h"
#include "linux/machine/machine.h"
#include "linux/services/taskfiles.h"
#include "linux/system/machineclock.h"
#include "shellhelpers.h"
#include "systemquery.h"
#include "testmachine.h"

#include <QElapsedTimer>
#include <QtEndian>
#include <QtTest>

#include <cstring>

namespace {

const QString runKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");

void storeRaw(HKEY root, const QString &subKey, REGSAM view, const QString &name, DWORD type, const QByteArray &data)
{
    HKEY h = nullptr;
    QCOMPARE(RegCreateKeyExW(root, wstr(subKey), 0, nullptr, 0, KEY_WRITE | view, nullptr, &h, nullptr),
             LONG(ERROR_SUCCESS));
    RegSetValueExW(h, wstr(name), 0, type, reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size()));
    RegCloseKey(h);
}

QByteArray utf16(const QString &s, bool terminator = true)
{
    return QByteArray(reinterpret_cast<const char *>(s.utf16()), (s.size() + (terminator ? 1 : 0)) * 2);
}

void setVersion(const QString &edition, int build)
{
    const QString key = QStringLiteral("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    for (REGSAM view : {REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
        storeRaw(HKEY_LOCAL_MACHINE, key, view, QStringLiteral("EditionID"), REG_SZ, utf16(edition));
        storeRaw(HKEY_LOCAL_MACHINE, key, view, QStringLiteral("CurrentBuildNumber"), REG_SZ,
                 utf16(QString::number(build)));
    }
}

QStringList names(const QVector<StartupItem> &list)
{
    QStringList out;
    for (const StartupItem &i : list)
        out << i.name;
    return out;
}

void writeTask(const QString &machine, const QString &name, const QString &body)
{
    const QString path = machine + QStringLiteral("/drive_c/Windows/System32/Tasks/") + name;
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QString text = QChar(0xFEFF) + QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>") + body;
    f.write(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

QString task(const QString &settings, const QString &actions)
{
    return "<Task><Settings>" + settings + "</Settings><Actions>" + actions + "</Actions></Task>";
}

// One block of a version resource: length, value length, type, key, value and children, 32-bit aligned.
QByteArray versionBlock(const QString &key, quint16 type, const QByteArray &value, quint16 valueLength,
                        const QList<QByteArray> &children = {})
{
    QByteArray b(6, '\0');
    b += utf16(key);
    auto align = [&b] { b.append((4 - b.size() % 4) % 4, '\0'); };
    align();
    b += value;
    for (const QByteArray &child : children) {
        align();
        b += child;
    }
    qToLittleEndian<quint16>(quint16(b.size()), b.data());
    qToLittleEndian<quint16>(valueLength, b.data() + 2);
    qToLittleEndian<quint16>(type, b.data() + 4);
    return b;
}

// A 32-bit PE image whose only resource is the given version resource; its data entry says `declared` bytes.
QByteArray imageWithVersion(const QByteArray &resource, quint32 declared)
{
    QByteArray f(0x200, '\0');
    QByteArray r(88, '\0'); // type, name and language directories with one entry each, then the data entry
    auto put16 = [](QByteArray &b, int at, quint16 v) { qToLittleEndian<quint16>(v, b.data() + at); };
    auto put32 = [](QByteArray &b, int at, quint32 v) { qToLittleEndian<quint32>(v, b.data() + at); };
    put16(f, 0, 0x5A4D);
    put32(f, 0x3C, 0x40);
    put32(f, 0x40, 0x00004550);
    put16(f, 0x46, 1);            // sections
    put16(f, 0x54, 224);          // optional header size
    put16(f, 0x58, 0x10B);        // PE32
    put32(f, 0x58 + 92, 16);      // data directories
    put32(f, 0x58 + 112, 0x1000); // the resource directory's address
    const quint32 dirs[][3] = {{0, 16, 0x80000018}, {24, 1, 0x80000030}, {48, 0x409, 72}};
    for (const auto &d : dirs) {
        put16(r, int(d[0]) + 14, 1);
        put32(r, int(d[0]) + 16, d[1]);
        put32(r, int(d[0]) + 20, d[2]);
    }
    put32(r, 72, 0x1000 + 88);
    put32(r, 76, declared);
    r += resource;
    const int section = 0x58 + 224;
    put32(f, section + 8, quint32(r.size()));
    put32(f, section + 12, 0x1000);
    put32(f, section + 16, quint32(r.size()));
    put32(f, section + 20, 0x200);
    return f + r;
}

// A version resource with one translation and a FileDescription: "Codec!" without a terminator, the last
// bytes of the resource; typed `stringType`, its length in characters for type 1 and in bytes for type 0.
QByteArray codecVersion(quint16 stringType)
{
    const QByteArray text = utf16(QStringLiteral("Codec!"), false);
    const QByteArray translation("\x09\x04\xb0\x04", 4);
    const QByteArray var = versionBlock(QStringLiteral("Translation"), 0, translation, 4);
    const QByteArray string =
        versionBlock(QStringLiteral("FileDescription"), stringType, text, quint16(stringType == 1 ? 6 : 12));
    return versionBlock(QStringLiteral("VS_VERSION_INFO"), 0, {}, 0,
                        {versionBlock(QStringLiteral("VarFileInfo"), 1, {}, 0, {var}),
                         versionBlock(QStringLiteral("StringFileInfo"), 1, {}, 0,
                                      {versionBlock(QStringLiteral("040904b0"), 1, {}, 0, {string})})});
}

QString writeImage(const QString &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = folder + QLatin1Char('/') + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

// Bytes this process has read from files so far.
qint64 bytesRead()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

} // namespace

class TestSystemQuery : public QObject
{
    Q_OBJECT

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup()
    {
        machineclock::stopTestClock();
        m.reset();
    }

    void osVersion_data()
    {
        QTest::addColumn<QString>("edition");
        QTest::addColumn<int>("build");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("release");
        QTest::newRow("22H2 pro") << "Professional" << 22621 << " Windows 11 Pro"
                                  << "22H2";
        QTest::newRow("first 11") << "Professional" << 22000 << " Windows 11 Pro"
                                  << "21H2";
        QTest::newRow("unlisted 11") << "Enterprise" << 22631 << " Windows 11 Enterprise"
                                     << "";
        QTest::newRow("last 10") << "Core" << 19044 << "Windows 10 Home"
                                 << "21H2";
        QTest::newRow("unlisted 10") << "Core" << 19045 << "Windows 10 Home"
                                     << "";
        QTest::newRow("workstation") << "ProfessionalWorkstation" << 22621 << " Windows 11 Pro for Workstations"
                                     << "22H2";
        QTest::newRow("unknown edition") << "Nonesuch" << 22621 << "Windows"
                                         << "22H2";
    }
    void osVersion()
    {
        QFETCH(QString, edition);
        QFETCH(int, build);
        setVersion(edition, build);
        OsVersionInfo info;
        QVERIFY(SystemQuery().getOsVersion(info));
        QCOMPARE(info.major, 10);
        QCOMPARE(info.build, build);
        QTEST(info.productName, "product");
        QTEST(info.releaseName, "release");
    }

    void productText_data()
    {
        QTest::addColumn<uint>("type");
        QTest::addColumn<QString>("text");
        QTest::newRow("undefined") << 0u << "Windows";
        QTest::newRow("home basic") << 2u << "Home Basic";
        QTest::newRow("hpc") << 18u << "HPC Edition";
        QTest::newRow("china") << 99u << "Windows 10 Home China";
        QTest::newRow("pro n ws") << 162u << "Windows 10 Pro for Workstations N";
        QTest::newRow("gap") << 163u << "Windows";
    }
    void productText()
    {
        QFETCH(uint, type);
        QTEST(SystemQuery::productText(type), "text");
    }

    void uptime_data()
    {
        QTest::addColumn<quint64>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << quint64(0) << "0 hour, 0 minute, 0 second";
        QTest::newRow("one second") << quint64(1999) << "0 hour, 0 minute, 1 second";
        QTest::newRow("two seconds") << quint64(2000) << "0 hour, 0 minute, 2 seconds";
        QTest::newRow("under a minute") << quint64(59000) << "0 hour, 0 minute, 59 seconds";
        QTest::newRow("hms") << quint64(3723000) << "1 hour, 2 minutes, 3 seconds";
        QTest::newRow("one day") << quint64(90061000) << "1 day, 1 hour, 1 minute, 1 second";
        QTest::newRow("two days") << quint64(2 * 86400000ULL) << "2 days, 0 hour, 0 minute, 0 second";
        // Past the 49.7 days that a 32-bit count holds: the text goes on instead of starting again.
        QTest::newRow("past 2^32") << quint64(4294967296ULL + 1000) << "49 days, 17 hours, 2 minutes, 48 seconds";
    }
    void uptime()
    {
        QFETCH(quint64, ms);
        QTEST(SystemQuery::uptimeText(ms), "text");
    }

    void environmentBlock()
    {
        const QString block = QStringLiteral("=C:=C:\\Users\0PATH=a=b\0EMPTY=\0=::=::\\\0Z=1\0\0");
        QVector<NameValuePair> list;
        SystemQuery::parseEnvironmentBlock(reinterpret_cast<const WCHAR *>(block.utf16()), list);
        QStringList got;
        for (const NameValuePair &p : list)
            got << p.name + QLatin1Char('|') + p.value;
        QCOMPARE(got, (QStringList{"PATH|a=b", "EMPTY|", "Z|1"}));
    }

    // The block as Windows builds it from the machine's registry: "{W}" stands for the Windows folder, "{P}"
    // for the profile, "{C}" for the drive that holds the Windows folder, "{s}" for its separator, all as
    // Windows names them (the machine's drive C:).
    void machineEnvironment_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("set by the system") << "SystemRoot"
                                           << "{W}";
        QTest::newRow("program folders") << "CommonProgramFiles(x86)"
                                         << "{C}{s}Program Files (x86){s}Common Files";
        QTest::newRow("machine key, text") << "PATHEXT"
                                           << ".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC";
        QTest::newRow("machine key, expanded") << "ComSpec"
                                               << "{W}\\system32\\cmd.exe";
        QTest::newRow("windir") << "windir"
                                << "{W}";
        QTest::newRow("processor") << "PROCESSOR_IDENTIFIER"
                                   << "Intel64 Family 6 Model 154 Stepping 3, GenuineIntel";
        QTest::newRow("user key over machine key") << "TEMP"
                                                   << "{P}\\AppData\\Local\\Temp";
        QTest::newRow("the user, not SYSTEM") << "USERNAME"
                                              << "User";
        QTest::newRow("session") << "LOGONSERVER"
                                 << "\\\\DESKTOP-HUSHDECK";
        QTest::newRow("profile") << "USERPROFILE"
                                 << "{P}";
        QTest::newRow("public profile") << "PUBLIC"
                                        << "{C}{s}Users{s}Public";
        QTest::newRow("computer") << "COMPUTERNAME"
                                  << "DESKTOP-HUSHDECK";
        QTest::newRow("user Path after the machine's")
            << "Path"
            << "{W}\\system32;{W};{W}\\System32\\Wbem;{W}\\System32\\WindowsPowerShell\\v1.0\\;"
               "{W}\\System32\\OpenSSH\\;{P}\\AppData\\Local\\Microsoft\\WindowsApps;";
    }

    void machineEnvironment()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        value.replace("{W}", "C:\\Windows").replace("{P}", "C:\\Users\\User").replace("{C}", "C:");
        value.replace("{s}", "\\");
        QVector<NameValuePair> list;
        SystemQuery().environmentVariables(list);
        QStringList found;
        for (const NameValuePair &p : list)
            if (p.name.compare(name, Qt::CaseInsensitive) == 0)
                found << p.name + "=" + p.value;
        QCOMPARE(found, QStringList(name + "=" + value));
        QCOMPARE(SystemQuery().expandEnvironment("%" + name.toLower() + "%"), value);
    }

    void environmentLeavesHostOut()
    {
        const QByteArray home = qgetenv("HOME"), path = qgetenv("PATH");
        auto restore = qScopeGuard([&] {
            qputenv("HOME", home);
            qputenv("PATH", path);
            qunsetenv("HUSHDECK_SECRET_TOKEN");
        });
        qputenv("HUSHDECK_SECRET_TOKEN", "s3cr3t-value");
        qputenv("HOME", "/root/secret-home");
        qputenv("PATH", "/usr/secret/bin:/usr/bin");
        QVector<NameValuePair> list;
        SystemQuery().environmentVariables(list);
        QStringList names;
        for (const NameValuePair &p : list) {
            QVERIFY2(!p.value.contains("secret", Qt::CaseInsensitive) && !p.value.contains('%'),
                     qPrintable(p.name + "=" + p.value));
            names << p.name;
        }
        // Exactly what Windows sets for a signed-in user, sorted as Windows keeps a block.
        QCOMPARE(names, (QStringList{"ALLUSERSPROFILE",
                                     "APPDATA",
                                     "CommonProgramFiles",
                                     "CommonProgramFiles(x86)",
                                     "CommonProgramW6432",
                                     "COMPUTERNAME",
                                     "ComSpec",
                                     "DriverData",
                                     "HOMEDRIVE",
                                     "HOMEPATH",
                                     "LOCALAPPDATA",
                                     "LOGONSERVER",
                                     "NUMBER_OF_PROCESSORS",
                                     "OS",
                                     "Path",
                                     "PATHEXT",
                                     "PROCESSOR_ARCHITECTURE",
                                     "PROCESSOR_IDENTIFIER",
                                     "PROCESSOR_LEVEL",
                                     "PROCESSOR_REVISION",
                                     "ProgramData",
                                     "ProgramFiles",
                                     "ProgramFiles(x86)",
                                     "ProgramW6432",
                                     "PSModulePath",
                                     "PUBLIC",
                                     "SystemDrive",
                                     "SystemRoot",
                                     "TEMP",
                                     "TMP",
                                     "USERDOMAIN",
                                     "USERDOMAIN_ROAMINGPROFILE",
                                     "USERNAME",
                                     "USERPROFILE",
                                     "windir"}));
        const QString unknown = "%HUSHDECK_SECRET_TOKEN%|%HOME%|%DISPLAY%";
        QCOMPARE(SystemQuery().expandEnvironment(unknown), unknown);
        KRUtils u;
        QString text;
        u.writeRegExpandString(HKEY_CURRENT_USER, "Software\\Hushdeck Test", "x", "%HUSHDECK_SECRET_TOKEN%\\x");
        QVERIFY(u.readRegString(HKEY_CURRENT_USER, "Software\\Hushdeck Test", "x", text));
        QCOMPARE(text, QStringLiteral("%HUSHDECK_SECRET_TOKEN%\\x"));
    }

    void environmentFollowsRegistry()
    {
        QVector<NameValuePair> before;
        SystemQuery().environmentVariables(before);
        const REGSAM v = KEY_WOW64_64KEY;
        storeRaw(HKEY_CURRENT_USER, "Environment", v, "Path", REG_SZ, utf16("D:\\Tools"));
        storeRaw(HKEY_CURRENT_USER, "Environment", v, "EDITOR", REG_EXPAND_SZ, utf16("%ProgramFiles%\\Edit\\e.exe"));
        storeRaw(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", v, "OS",
                 REG_SZ, utf16("Changed_NT"));
        QVector<NameValuePair> after;
        SystemQuery().environmentVariables(after);
        auto value = [](const QVector<NameValuePair> &list, const QString &name) {
            for (const NameValuePair &p : list)
                if (p.name.compare(name, Qt::CaseInsensitive) == 0)
                    return p.value;
            return QString();
        };
        QVERIFY(value(before, "Path").endsWith("WindowsApps;"));
        QVERIFY2(value(after, "Path").endsWith("\\OpenSSH\\;D:\\Tools"), qPrintable(value(after, "Path")));
        QCOMPARE(value(after, "EDITOR"), value(after, "ProgramFiles") + "\\Edit\\e.exe");
        QCOMPARE(value(after, "OS"), QStringLiteral("Changed_NT"));
        QCOMPARE(after.size(), before.size() + 1);
    }

    // Values built on each other ("D01" = "%D00%%D00%", ...) double with each one: no variable passes the
    // 32,767 characters Windows holds, each value is expanded once, and the block comes at once. A name
    // holding "=" is no variable.
    void environmentIsBounded()
    {
        const REGSAM v = KEY_WOW64_64KEY;
        storeRaw(HKEY_CURRENT_USER, "Environment", v, "D00", REG_SZ, utf16(QString(1200, QLatin1Char('x'))));
        for (int i = 1; i < 16; ++i)
            storeRaw(HKEY_CURRENT_USER, "Environment", v, QStringLiteral("D%1").arg(i, 2, 10, QLatin1Char('0')),
                     REG_EXPAND_SZ, utf16(QStringLiteral("%D%1%%D%1%").arg(i - 1, 2, 10, QLatin1Char('0'))));
        storeRaw(HKEY_CURRENT_USER, "Environment", v, "Path=C:\\Evil", REG_SZ, utf16("1"));
        QElapsedTimer clock;
        clock.start();
        QVector<NameValuePair> list;
        for (int i = 0; i < 5; ++i) {
            list.clear();
            SystemQuery().environmentVariables(list);
        }
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QMap<QString, QString> byName;
        for (const NameValuePair &p : list) {
            QVERIFY2(p.value.size() <= 32767, qPrintable(p.name));
            QVERIFY2(!byName.contains(p.name.toUpper()), qPrintable(p.name));
            byName.insert(p.name.toUpper(), p.value);
        }
        QCOMPARE(byName.value("D04").size(), 19200);
        QCOMPARE(byName.value("D05"), QStringLiteral("%D04%%D04%")); // it would pass the limit
        QCOMPARE(byName.value("D06"), QStringLiteral("%D04%%D04%%D04%%D04%"));
        QVERIFY(!byName.value("PATH").contains("Evil"));
    }

    void cutRunPath_data()
    {
        QTest::addColumn<QString>("data");
        QTest::addColumn<QString>("path");
        QTest::newRow("quoted option") << "\"C:\\Program Files\\App\\app.exe\" /silent"
                                       << "C:\\Program Files\\App\\app.exe";
        QTest::newRow("dash option") << "D:\\Tools\\app.exe -startup"
                                     << "D:\\Tools\\app.exe ";
        QTest::newRow("dash in folder") << "D:\\my-tools\\app.exe"
                                        << "D:\\my-tools\\app.exe";
        QTest::newRow("dash no dot") << "tool -x"
                                     << "tool ";
        QTest::newRow("lone quote") << "\"app.exe"
                                    << "app.exe";
        QTest::newRow("empty") << ""
                               << "";
    }
    void cutRunPath()
    {
        QFETCH(QString, data);
        QTEST(SystemQuery::cutRunPath(data), "path");
    }

    void runItemsBothViews()
    {
        const QString key = QStringLiteral("SOFTWARE\\Hushdeck Test\\Run");
        storeRaw(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY, QStringLiteral("Both"), REG_SZ, utf16("C:\\a.exe"));
        storeRaw(HKEY_LOCAL_MACHINE, key, KEY_WOW64_32KEY, QStringLiteral("Both"), REG_SZ, utf16("C:\\a.exe"));
        storeRaw(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY, QStringLiteral("Only64"), REG_SZ, utf16("C:\\b.exe"));
        SystemQuery q;
        QVector<StartupItem> list;
        q.registryRunItems(HKEY_LOCAL_MACHINE, key, false, list);
        q.registryRunItems(HKEY_LOCAL_MACHINE, key, true, list);
        q.registryRunItems(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Hushdeck Test\\Missing"), true, list);
        QCOMPARE(names(list), (QStringList{"Both", "Both", "Only64"}));
    }

    void runItemValues()
    {
        const QString key = QStringLiteral("Software\\Hushdeck Test\\Run");
        const REGSAM v = KEY_WOW64_64KEY;
        storeRaw(HKEY_CURRENT_USER, key, v, QString(), REG_SZ, utf16("C:\\default.exe"));
        storeRaw(HKEY_CURRENT_USER, key, v, QStringLiteral("Expanded"), REG_EXPAND_SZ,
                 utf16("  \"%ProgramFiles%\\Tool\\tool.exe\" -min "));
        // Stored without its terminating zero, and followed in memory by nothing the reader may use.
        storeRaw(HKEY_CURRENT_USER, key, v, QStringLiteral("Bare"), REG_SZ, utf16("C:\\bare.exe", false));
        storeRaw(HKEY_CURRENT_USER, key, v, QStringLiteral("Huge"), REG_SZ, utf16(QString(600, QLatin1Char('x'))));
        storeRaw(HKEY_CURRENT_USER, key, v, QStringLiteral("Last"), REG_SZ, utf16("D:\\Tools\\app.exe -startup"));
        QVector<StartupItem> list;
        SystemQuery().registryRunItems(HKEY_CURRENT_USER, key, true, list);
        QCOMPARE(names(list), (QStringList{"Expanded", "Bare", "Last"}));
        QCOMPARE(list[0].command, QStringLiteral("  \"%ProgramFiles%\\Tool\\tool.exe\" -min "));
        QCOMPARE(list[0].path, QStringLiteral("C:\\Program Files\\Tool\\tool.exe"));
        QCOMPARE(list[1].command, QStringLiteral("C:\\bare.exe"));
        QCOMPARE(list[1].path, QStringLiteral("C:\\bare.exe"));
        QCOMPARE(list[2].path, QStringLiteral("D:\\Tools\\app.exe "));
    }

    void startupFolder()
    {
        const QString folder = m->folder() + QStringLiteral("/StartupTest");
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/Sub folder")));
        QFile ini(folder + QStringLiteral("/desktop.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[.ShellClassInfo]\r\n");
        ini.close();
        const QString target = m->folder() + QStringLiteral("/app.exe");
        KRUtils u;
        QVERIFY(SUCCEEDED(u.createLink(target, folder + "/App.lnk", m->folder(), "-min", "%windir%\\app.ico")));
        QVERIFY(SUCCEEDED(u.createLink(target, folder + "/Plain.lnk", m->folder(), "", "")));
        QVector<StartupItem> list;
        SystemQuery().startupFolderItems(fromHostPath(folder), list); // as the shell names the folder
        QCOMPARE(names(list), (QStringList{"App.lnk", "Plain.lnk"}));
        const QString app = fromHostPath(folder + "/App.lnk");
        const QString plain = fromHostPath(folder + "/Plain.lnk");
        QCOMPARE(list[0].command, "\"" + app + "\" -min");
        QCOMPARE(list[0].path, QStringLiteral("%windir%\\app.ico")); // as stored, not expanded
        QCOMPARE(list[1].command, plain);
        QCOMPARE(list[1].path, plain);
    }

    void specialFolders()
    {
        QVector<NameValuePair> list;
        SystemQuery().specialFolders(list);
        QStringList got;
        for (const NameValuePair &p : list) {
            QVERIFY2(QFileInfo(hostPath(p.value)).isDir(), qPrintable(p.name));
            QVERIFY2(p.value.startsWith(QStringLiteral("C:\\")), qPrintable(p.value));
            got << p.name;
        }
        // The folders without a file-system path are left out, the others keep the table's order.
        QVERIFY(!got.contains("Control Panel folder"));
        QCOMPARE(got.first(), QStringLiteral("Administrative tools folder"));
        QCOMPARE(got.last(), QStringLiteral("Windows folder"));
        QVERIFY(got.indexOf("Startup folder") > got.indexOf("Start Menu folder"));
        for (const char *name : {"Program Files folder", "Common desktop folder", "Fonts folder", "x86 System folder",
                                 "Common Startup program folder", "Send To folder"})
            QVERIFY2(got.contains(QLatin1String(name)), name);
        for (const char *name :
             {"Nonlocalized Startup program folder", "Network folder", "Drives folder", "Localized resource folder"})
            QVERIFY2(!got.contains(QLatin1String(name)), name);
    }

    void directories()
    {
        QString windows, system;
        SystemQuery().windowsDirectories(windows, system);
        QCOMPARE(windows, QStringLiteral("C:\\Windows"));
        QVERIFY(QFileInfo(hostPath(windows)).isDir());
        QCOMPARE(system, windows + QStringLiteral("\\System32"));
    }

    void scheduledTasks()
    {
        const QString tasks = m->folder() + QStringLiteral("/drive_c/Windows/System32/Tasks");
        QVERIFY(QDir(tasks).removeRecursively());
        const QString exec = QStringLiteral("<Exec><Command>%1</Command></Exec>");
        writeTask(m->folder(), "Beta", task("<Enabled>false</Enabled>", exec.arg("C:\\beta.exe")));
        writeTask(m->folder(), "alpha",
                  task("", exec.arg("C:\\first.exe") + exec.arg("&quot;C:\\Program Files\\second.exe&quot; -x")));
        writeTask(m->folder(), "Hidden", task("<Hidden>true</Hidden>", exec.arg("C:\\hidden.exe")));
        writeTask(m->folder(), "Handler", task("", "<ComHandler><ClassId>{1}</ClassId></ComHandler>"));
        writeTask(m->folder(), "Broken", "<Task><Settings>");
        writeTask(m->folder(), "Sub/Inner", task("", exec.arg("C:\\inner.exe")));
        QVector<StartupItem> list;
        QCOMPARE(SystemQuery().scheduledTasks(list), 0);
        QStringList got;
        for (const StartupItem &t : list)
            got << t.name + "|" + t.command + "|" + t.path;
        QCOMPARE(got, (QStringList{"alpha|Ready|C:\\Program Files\\second.exe", "Beta|Disabled|C:\\beta.exe",
                                   "Broken||", "Handler|Ready|"}));
    }

    void noTasks()
    {
        const QString tasks = m->folder() + QStringLiteral("/drive_c/Windows/System32/Tasks");
        QVERIFY(QDir(tasks).removeRecursively());
        QVERIFY(QDir().mkpath(tasks + "/Sub"));
        writeTask(m->folder(), "Sub/Inner", task("", "<Exec><Command>x.exe</Command></Exec>"));
        QVector<StartupItem> list;
        QCOMPARE(SystemQuery().scheduledTasks(list), 1);
        QVERIFY(list.isEmpty());
        QVERIFY(QDir(tasks).removeRecursively());
        QCOMPARE(SystemQuery().scheduledTasks(list), 1); // no root folder at all
        QVERIFY(list.isEmpty());
    }

    void taskStates_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("text");
        QTest::newRow("unknown") << 0 << "Unknown";
        QTest::newRow("running") << 4 << "Running";
        QTest::newRow("queued") << 2 << "Queued";
        QTest::newRow("beyond") << 5 << "";
        QTest::newRow("negative") << -1 << "";
    }
    void taskStates()
    {
        QFETCH(int, state);
        QTEST(SystemQuery::taskStateText(state), "text");
    }

    void versionResource()
    {
        CodecInfo codec;
        codec.name = QStringLiteral("kept");
        QVERIFY(SystemQuery().fileVersionInfo(codec, QStringLiteral(GLASSPAN_EXE)));
        QCOMPARE(codec.name, QStringLiteral("Transparent Taskbar"));
        QCOMPARE(codec.version, QStringLiteral("1.0.0.0"));
        QCOMPARE(codec.vendor, QStringLiteral("Keelrun"));
        // A file without one (this test program, an ELF file; a text file) has no version.
        CodecInfo none;
        none.name = QStringLiteral("kept");
        QVERIFY(!SystemQuery().fileVersionInfo(none, QCoreApplication::applicationFilePath()));
        QVERIFY(!SystemQuery().fileVersionInfo(none, m->folder() + "/missing.dll"));
        QCOMPARE(none.name, QStringLiteral("kept"));
    }

    // The resource says 460 bytes, its data entry 40: nothing past the 40 bytes the caller holds is read.
    void aVersionBlockLongerThanItsResource()
    {
        QByteArray resource = codecVersion(1);
        resource.append(460 - resource.size(), '\0');
        qToLittleEndian<quint16>(460, resource.data());
        const QString file = writeImage(m->folder(), QStringLiteral("long.dll"), imageWithVersion(resource, 40));
        QVERIFY(!file.isEmpty());
        CodecInfo codec;
        codec.name = QStringLiteral("kept");
        QVERIFY(!SystemQuery().fileVersionInfo(codec, file));
        QCOMPARE(codec.name, QStringLiteral("kept"));
        DWORD handle = 0;
        QCOMPARE(GetFileVersionInfoSizeW(wstr(file), &handle), DWORD(40));
        // Memory after the caller's block happens to hold the rest of the resource: it is not the block's.
        QByteArray buffer = resource;
        QVERIFY(GetFileVersionInfoW(wstr(file), 0, 40, buffer.data()));
        LPVOID value = nullptr;
        UINT length = 0;
        QVERIFY(!VerQueryValueW(buffer.constData(), WSTR("\\VarFileInfo\\Translation"), &value, &length));
    }

    // A string marked binary counts its length in bytes in the file; it is still answered in characters.
    void aVersionStringMarkedBinary_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("text") << 1;
        QTest::newRow("binary") << 0;
    }
    void aVersionStringMarkedBinary()
    {
        QFETCH(int, type);
        const QByteArray resource = codecVersion(quint16(type));
        const QString file =
            writeImage(m->folder(), QStringLiteral("codec.dll"), imageWithVersion(resource, quint32(resource.size())));
        QVERIFY(!file.isEmpty());
        CodecInfo codec;
        QVERIFY(SystemQuery().fileVersionInfo(codec, file));
        QCOMPARE(codec.name, QStringLiteral("Codec!"));
        QByteArray data(resource.size(), '\0');
        QVERIFY(GetFileVersionInfoW(wstr(file), 0, DWORD(data.size()), data.data()));
        LPVOID value = nullptr;
        UINT length = 0;
        QVERIFY(VerQueryValueW(data.constData(), WSTR("\\StringFileInfo\\040904b0\\FileDescription"), &value, &length));
        QCOMPARE(length, UINT(6));
    }

    // Each task file is parsed once per listing, and one far larger than any task, or shaped as none is (a
    // start tag with tens of thousands of attributes, nesting thousands deep), is not parsed at all: the
    // listing stays quick.
    void taskFilesAreReadOnceAndBounded_data()
    {
        QTest::addColumn<int>("padding");   // bytes of comment in the large task
        QTest::addColumn<QString>("shape"); // what goes before the large task's own elements
        QTest::addColumn<bool>("listed");
        QTest::newRow("100 KiB") << 100 * 1024 << QString() << true;
        QTest::newRow("over the cap") << int(taskfiles::largestTask) << QString() << false;
        QString attributes = QStringLiteral("<A");
        for (int i = 0; attributes.size() < 500000; ++i)
            attributes += QStringLiteral(" a%1=''").arg(i, 0, 36);
        QTest::newRow("60,000 attributes") << 0 << attributes + QStringLiteral("/>") << false;
        QTest::newRow("65 attributes") << 0 << attributes.left(attributes.indexOf(" a1t=")) + "/>" << false;
        QTest::newRow("64 attributes") << 0 << attributes.left(attributes.indexOf(" a1s=")) + "/>" << true;
        QTest::newRow("nested 100,000 deep") << 0 << QStringLiteral("<A>").repeated(100000) << false;
        // The most a task may be, to the cap: a thousand elements of 64 attributes each.
        const QString widest = attributes.left(attributes.indexOf(" a1s=")) + "/>";
        QTest::newRow("1 MiB of 64-attribute elements") << 0 << widest.repeated(490000 / widest.size()) << true;
    }
    void taskFilesAreReadOnceAndBounded()
    {
        QFETCH(int, padding);
        QFETCH(QString, shape);
        QFETCH(bool, listed);
        const QString tasks = machine::systemDrive() + QStringLiteral("/Windows/System32/Tasks");
        QVERIFY(QDir(tasks).removeRecursively());
        const QString exec = QStringLiteral("<Exec><Command>C:\\%1.exe</Command></Exec>");
        writeTask(m->folder(), "Small", task("", exec.arg("small")));
        writeTask(m->folder(), "Hidden", task("<Hidden>true</Hidden>", exec.arg("hidden")));
        QString large = task("", exec.arg("large"));
        large.insert(large.indexOf("<Actions>"), shape);
        writeTask(m->folder(), "Large", "<!--" + QString(padding / 2, QLatin1Char('x')) + "-->" + large);
        const quint64 before = taskfiles::definitionsParsed();
        QVector<StartupItem> list;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(SystemQuery().scheduledTasks(list), 0);
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QStringList got;
        for (const StartupItem &t : list)
            got << t.name + "|" + t.path;
        QCOMPARE(got, listed ? QStringList({"Large|C:\\large.exe", "Small|C:\\small.exe"})
                             : QStringList({"Small|C:\\small.exe"}));
        QCOMPARE(taskfiles::definitionsParsed() - before, quint64(listed ? 3 : 2));
    }

    // A startup entry is read as far as a link can reach, however large the file.
    void aLargeStartupFileIsNotReadWhole_data()
    {
        QTest::addColumn<bool>("link"); // a link's header, or none
        QTest::newRow("link") << true;
        QTest::newRow("no link") << false;
    }
    void aLargeStartupFileIsNotReadWhole()
    {
        QFETCH(bool, link);
        const QString folder = hostPath(startupPath());
        const QString path = folder + QStringLiteral("/Large.lnk");
        if (link)
            QVERIFY(QFile::copy(folder + QStringLiteral("/Notes Reminder.lnk"), path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.resize(64 * 1024 * 1024)); // sparse: costs no disk
        f.close();
        QString arguments, icon;
        const qint64 before = bytesRead();
        QVERIFY(before >= 0);
        SystemQuery().resolveShellLink(fromHostPath(path), arguments, icon);
        const qint64 read = bytesRead() - before;
        QVERIFY2(read < 2 * 1024 * 1024, qPrintable(QString::number(read)));
        QCOMPARE(arguments, link ? QStringLiteral("/tray") : QString());
    }

    void audioJoin()
    {
        const QString drivers = QStringLiteral("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32");
        const QString cache = QStringLiteral("SOFTWARE\\Microsoft\\AudioCompressionManager\\DriverCache\\");
        const REGSAM v = KEY_WOW64_64KEY;
        auto dword = [](DWORD x) { return QByteArray(reinterpret_cast<const char *>(&x), 4); };
        auto tags = [&](std::initializer_list<DWORD> list) {
            QByteArray out;
            for (DWORD t : list)
                out += dword(t) + dword(20);
            return out;
        };
        auto driver = [&](const QString &alias, const QString &file, DWORD count, const QByteArray &cacheBytes) {
            if (!file.isEmpty())
                storeRaw(HKEY_LOCAL_MACHINE, drivers, v, alias, REG_SZ, utf16(file));
            storeRaw(HKEY_LOCAL_MACHINE, cache + alias, v, "cFormatTags", REG_DWORD, dword(count));
            storeRaw(HKEY_LOCAL_MACHINE, cache + alias, v, "aFormatTagCache", REG_BINARY, cacheBytes);
            storeRaw(HKEY_LOCAL_MACHINE, cache + alias, v, "szLongName", REG_SZ, utf16(alias + " long"));
            storeRaw(HKEY_LOCAL_MACHINE, cache + alias, v, "szShortName", REG_SZ, utf16(alias + " short"));
            storeRaw(HKEY_LOCAL_MACHINE, cache + alias, v, "vdwDriver", REG_DWORD, dword(0x01020003));
        };
        driver("msacm.zbare", "zbare.acm", 2, tags({1, 0x99}));
        // The count says 30 entries, the data holds one: only that one is used.
        driver("msacm.afull", "D:\\Codecs\\full.acm", 30, tags({0x98}));
        // Cached but not installed: nothing reports its tag.
        driver("msacm.gone", "", 1, tags({0x97}));
        QVector<CodecInfo> list;
        SystemQuery().audioCodecs(list);
        QStringList got;
        for (const CodecInfo &c : list)
            if (c.name.startsWith("msacm."))
                got << QStringLiteral("%1|%2|%3|%4|%5|%6")
                           .arg(c.name, c.vendor, c.version, c.fileName)
                           .arg(c.formatTag, 0, 16)
                           .arg(c.type);
        QString windows, system;
        SystemQuery().windowsDirectories(windows, system);
        QCOMPARE(got, (QStringList{"msacm.afull long|msacm.afull short|1.2 .3|D:\\Codecs\\full.acm|98|0",
                                   "msacm.zbare long|msacm.zbare short|1.2 .3|" + system + "\\zbare.acm" + "|99|0"}));
        QCOMPARE(list.size(), 6); // and the four seeded drivers' non-PCM tags
    }

    void filtersAndCompressors()
    {
        const QString category = QStringLiteral("CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\");
        const REGSAM v = KEY_WOW64_64KEY;
        const QString described = QStringLiteral("{11111111-2222-3333-4444-555555555555}");
        storeRaw(HKEY_CLASSES_ROOT, category + described, v, "CLSID", REG_SZ, utf16(described));
        storeRaw(HKEY_CLASSES_ROOT, category + described, v, "FriendlyName", REG_SZ, utf16("Aaa filter"));
        storeRaw(HKEY_CLASSES_ROOT, "CLSID\\" + described + "\\InprocServer32", v, QString(), REG_SZ,
                 utf16(GLASSPAN_EXE));
        storeRaw(HKEY_CLASSES_ROOT, category + "{00000000-0000-0000-0000-00000000000B}", v, "CLSID", REG_SZ,
                 utf16("{00000000-0000-0000-0000-00000000000B}")); // no friendly name: left out
        QVector<CodecInfo> filters;
        SystemQuery().directShowFilters(filters);
        QCOMPARE(filters.size(), 5);
        QCOMPARE(filters.first().name, QStringLiteral("Transparent Taskbar"));
        QCOMPARE(filters.first().vendor, QStringLiteral("Keelrun"));
        QCOMPARE(filters.first().type, 2);
        // Seeded: the name and version of the file that serves it, as on Windows.
        QCOMPARE(filters.at(1).name, QStringLiteral("DirectShow Runtime."));
        QCOMPARE(filters.at(1).version, QStringLiteral("10.0.22621.2506 (WinBuild.160101.0800)"));

        storeRaw(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32", v, "vidc.aaaa",
                 REG_SZ, utf16(GLASSPAN_EXE));
        QVector<CodecInfo> video;
        SystemQuery().videoCodecs(video);
        QCOMPARE(video.size(), 5);
        QCOMPARE(video.last().name, QStringLiteral("Transparent Taskbar")); // values keep their order of writing
        QCOMPARE(video.last().fileName, QStringLiteral(GLASSPAN_EXE));
        // A bare driver name is found in the System folder, as Windows loads it.
        QCOMPARE(video.first().name, QStringLiteral("Intel Indeo(R) Video YUV Codec"));
        QCOMPARE(video.first().fileName, QStringLiteral("iyuv_32.dll"));

        QVector<CodecInfo> dmos;
        SystemQuery().dmoCodecs(dmos);
        QCOMPARE(dmos.size(), 3);
        QCOMPARE(dmos.at(0).type, 3);
        QCOMPARE(dmos.at(0).name, QStringLiteral("Windows Media Video Decoder")); // its file's description
        QCOMPARE(dmos.at(0).fileName, QStringLiteral("C:\\Windows\\System32\\wmvdecod.dll"));
    }

    // Every codec row of a new machine describes itself, through the files the seeded registry names.
    void seededCodecRows_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("rows");
        QTest::newRow("video compressors") << 1 << 4;
        QTest::newRow("audio drivers") << 0 << 4;
        QTest::newRow("DirectShow filters") << 2 << 4;
        QTest::newRow("media objects") << 3 << 3;
    }

    void seededCodecRows()
    {
        QFETCH(int, type);
        QVector<CodecInfo> list;
        SystemQuery q;
        if (type == 0)
            q.audioCodecs(list);
        else if (type == 1)
            q.videoCodecs(list);
        else if (type == 2)
            q.directShowFilters(list);
        else
            q.dmoCodecs(list);
        QTEST(int(list.size()), "rows");
        for (const CodecInfo &c : list) {
            QVERIFY2(!c.name.isEmpty() && !c.version.isEmpty() && !c.vendor.isEmpty(), qPrintable(c.fileName));
            CodecInfo file;
            QVERIFY2(q.fileVersionInfo(file, c.fileName), qPrintable(c.fileName));
            QVERIFY2(!file.name.isEmpty() && file.version.contains(QRegularExpression("^\\d+\\.\\d+\\.\\d+\\.\\d+")),
                     qPrintable(c.fileName + ": " + file.version));
        }
    }

    // Every startup row and task of a new machine has a file to take its icon from; the programs its Run
    // values and tasks name have a name and a version.
    void seededStartupRows()
    {
        SystemQuery q;
        QVector<StartupItem> startup, tasks;
        q.registryRunItems(HKEY_LOCAL_MACHINE, runKey, true, startup);
        q.registryRunItems(HKEY_CURRENT_USER, runKey, true, startup);
        const qsizetype runRows = startup.size();
        QCOMPARE(runRows, 2);
        q.startupFolderItems(startupPath(), startup);
        q.startupFolderItems(commonStartupPath(), startup);
        QCOMPARE(q.scheduledTasks(tasks), 0);
        QCOMPARE(tasks.size(), 3); // those of the root folder that are not hidden
        for (qsizetype i = 0; i < startup.size() + tasks.size(); ++i) {
            const bool task = i >= startup.size();
            const StartupItem &item = task ? tasks.at(i - startup.size()) : startup.at(i);
            const QString path = q.expandEnvironment(item.path);
            SHFILEINFOW info = {};
            QVERIFY2(SHGetFileInfoW(wstr(path), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON) && info.hIcon,
                     qPrintable(item.name + ": " + path));
            DestroyIcon(info.hIcon);
            if (!task && i >= runRows)
                continue; // a link: its icon is the link's, or the icon file it names
            CodecInfo file;
            QVERIFY2(q.fileVersionInfo(file, path) && !file.name.isEmpty() && !file.version.isEmpty(),
                     qPrintable(item.name + ": " + path));
        }
    }

    // The images written for a new machine read as Windows reads them: the fixed part and the strings.
    void seededImages_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("company");
        QTest::addColumn<quint32>("versionMs");
        QTest::addColumn<quint32>("versionLs");
        QTest::newRow("bare driver name") << "msrle32.dll"
                                          << "Microsoft RLE Compressor"
                                          << "Microsoft Corporation" << 0x000A0000u << 0x585D0001u;
        QTest::newRow("driver named with its folder")
            << "C:\\Windows\\System32\\l3codeca.acm"
            << "Fraunhofer IIS MPEG Audio Layer-3 Codec (advanced)"
            << "Fraunhofer Institut Integrierte Schaltungen IIS" << 0x00010009u << 0x00000191u;
        QTest::newRow("program of a link") << "C:\\Program Files\\Notes\\notes.exe"
                                           << "Notes"
                                           << "Notes Software" << 0x00030002u << 0x00000000u;
        QTest::newRow("program of a task") << "C:\\Program Files (x86)\\Microsoft\\EdgeUpdate\\MicrosoftEdgeUpdate.exe"
                                           << "Microsoft Edge Update"
                                           << "Microsoft Corporation" << 0x00010003u << 0x00B90011u;
    }

    void seededImages()
    {
        QFETCH(QString, path);
        DWORD handle = 1;
        const DWORD size = GetFileVersionInfoSizeW(wstr(path), &handle);
        QVERIFY2(size > 0 && size < 4096, qPrintable(QString::number(size)));
        QByteArray data(int(size), '\0');
        QVERIFY(GetFileVersionInfoW(wstr(path), 0, size, data.data()));
        LPVOID value = nullptr;
        UINT length = 0;
        QVERIFY(VerQueryValueW(data.constData(), WSTR("\\"), &value, &length));
        QCOMPARE(length, 52u);
        quint32 fixed[4];
        std::memcpy(fixed, value, sizeof(fixed));
        QCOMPARE(fixed[0], 0xFEEF04BDu);
        QTEST(fixed[2], "versionMs");
        QTEST(fixed[3], "versionLs");
        for (const char *field : {"FileDescription", "CompanyName"}) {
            const QString key = QStringLiteral("\\StringFileInfo\\040904B0\\") + QLatin1String(field);
            QVERIFY(VerQueryValueW(data.constData(), wstr(key), &value, &length));
            QTEST(fromWide(static_cast<const WCHAR *>(value), qsizetype(length)),
                  field[0] == 'F' ? "description" : "company");
        }
        QVERIFY(QFileInfo(machine::hostPathOnC(path.contains('\\') ? path : "C:\\Windows\\System32\\" + path)).size() <
                4096);
    }

    void seededStartupFolders()
    {
        QVector<StartupItem> list;
        SystemQuery q;
        q.startupFolderItems(startupPath(), list);
        q.startupFolderItems(commonStartupPath(), list);
        QCOMPARE(names(list), (QStringList{"Notes Reminder.lnk", "Send to Notes.lnk", "Printer Monitor.lnk"}));
        QVERIFY2(list[0].command.endsWith(".lnk\" /tray"), qPrintable(list[0].command));
        QVERIFY2(list[1].path.endsWith("sendto.ico"), qPrintable(list[1].path));
        QVERIFY2(list[2].command.endsWith(".lnk\" -hidden"), qPrintable(list[2].command));
    }

    void timeZone_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("name");
        const QDateTime summer(QDate(2026, 7, 1), QTime(12, 0), Qt::UTC);
        const QDateTime winter(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC);
        QTest::newRow("daylight") << "Europe/Berlin" << summer << "Central European Summer Time";
        QTest::newRow("standard") << "Europe/Berlin" << winter << "Central European Standard Time";
        QTest::newRow("no daylight saving") << "Asia/Tokyo" << summer << "Japan Standard Time";
    }
    void timeZone()
    {
        QFETCH(QString, zone);
        QFETCH(QDateTime, when);
        machine::setSetting(QStringLiteral("timezone"), zone);
        machineclock::setTestClock(when);
        QString country, language, timeZone = QStringLiteral("unset"), uptime;
        SystemQuery().localeAndUptime(country, language, timeZone, uptime);
        QTEST(timeZone, "name");
        QVERIFY(!country.isEmpty());
        QVERIFY(language.contains(QLatin1Char('(')));
    }

    void uptimeBeyond32Bits()
    {
        machineclock::setTestClock(QDateTime(QDate(2026, 7, 1), QTime(12, 0), Qt::UTC));
        const quint64 before = GetTickCount64();
        machineclock::moveTestClock(qint64(50) * 86400000); // past the 49.7 days of a 32-bit count
        QString country, language, timeZone, uptime;
        SystemQuery().localeAndUptime(country, language, timeZone, uptime);
        QCOMPARE(uptime, SystemQuery::uptimeText(before + quint64(50) * 86400000));
        QVERIFY2(uptime.startsWith(QString::number((before / 86400000) + 50) + " days, "), qPrintable(uptime));
    }

    void codecHandlesReleased_data()
    {
        QTest::addColumn<bool>("describeFails");
        QTest::addColumn<int>("videoRows");
        QTest::newRow("described") << false << 4;
        QTest::newRow("no description") << true << 0;
    }
    void codecHandlesReleased()
    {
        QFETCH(bool, describeFails);
        machine::setSetting(QStringLiteral("fail.ICGetInfo"), describeFails ? "1" : "0");
        QVector<CodecInfo> list;
        SystemQuery q;
        q.videoCodecs(list);
        QFETCH(int, videoRows);
        QCOMPARE(int(list.size()), videoRows);
        q.audioCodecs(list);
        QCOMPARE(int(list.size()), videoRows + 4); // the seeded drivers' non-PCM tags
        QCOMPARE(codecs::openHandleCount(), 0);
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestSystemQuery)
#include "tst_systemquery.moc"
