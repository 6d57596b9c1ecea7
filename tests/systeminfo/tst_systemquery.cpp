// The system query: version and edition, uptime texts, environment, startup folders and Run keys, over a
// fresh simulated machine.
#include "krutils.h"
#include "linux/system/codecs.h"
#include "linux/machine/machine.h"
#include "linux/system/machineclock.h"
#include "shellhelpers.h"
#include "systemquery.h"
#include "testmachine.h"

#include <QtTest>

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

    void processEnvironment()
    {
        qputenv("HUSHDECK_QUERY_TEST", "x=y");
        QVector<NameValuePair> list;
        SystemQuery().environmentVariables(list);
        int found = 0;
        for (const NameValuePair &p : list)
            if (p.name == QLatin1String("HUSHDECK_QUERY_TEST") && p.value == QLatin1String("x=y"))
                ++found;
        QCOMPARE(found, 1);
        // Every process variable once (names are case-insensitive), the machine's in place of the host's.
        QSet<QString> names;
        for (const NameValuePair &p : list) {
            QVERIFY2(!names.contains(p.name.toUpper()), qPrintable(p.name));
            names.insert(p.name.toUpper());
        }
        for (const QString &key : QProcessEnvironment::systemEnvironment().keys())
            QVERIFY2(names.contains(key.toUpper()), qPrintable(key));
        QString systemRoot;
        for (const NameValuePair &p : list)
            if (p.name == QLatin1String("SystemRoot"))
                systemRoot = p.value;
        QCOMPARE(systemRoot, SystemQuery().expandEnvironment(QStringLiteral("%SystemRoot%")));
        QCOMPARE(systemRoot, QStringLiteral("C:\\Windows"));
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
        QCOMPARE(filters.at(1).name, QStringLiteral("Video Renderer")); // seeded, without a version resource
        QVERIFY(filters.at(1).version.isEmpty());

        storeRaw(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32", v, "vidc.aaaa",
                 REG_SZ, utf16(GLASSPAN_EXE));
        QVector<CodecInfo> video;
        SystemQuery().videoCodecs(video);
        QCOMPARE(video.size(), 5);
        QCOMPARE(video.last().name, QStringLiteral("Transparent Taskbar")); // values keep their order of writing
        QCOMPARE(video.last().fileName, QStringLiteral(GLASSPAN_EXE));
        QVERIFY(video.first().name.isEmpty()); // a driver file without a version resource
        QCOMPARE(video.first().fileName, QStringLiteral("iyuv_32.dll"));

        QVector<CodecInfo> dmos;
        SystemQuery().dmoCodecs(dmos);
        QCOMPARE(dmos.size(), 3);
        QCOMPARE(dmos.at(0).type, 3);
        QCOMPARE(dmos.at(0).name, QStringLiteral("WMVideo Decoder DMO"));
        QCOMPARE(dmos.at(0).fileName, QStringLiteral("C:\\Windows\\System32\\wmvdecod.dll"));
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
