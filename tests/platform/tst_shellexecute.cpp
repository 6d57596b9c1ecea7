// ShellExecuteW of the stand-in: what it records, what it refuses, and that a machine that keeps the host
// untouched opens nothing of the host (web addresses, documents, unknown programs are only recorded).
#include "linux/processes/launcher.h"
#include "linux/machine/machine.h"
#include "testmachine.h"
#include "win32.h"

#include <QProcess>
#include <QTemporaryDir>
#include <unistd.h>
#include <QtTest>

class TestShellExecute : public QObject
{
    Q_OBJECT

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void records_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("parameters");
        QTest::addColumn<QString>("logged");
        QTest::newRow("web page, default verb")
            << QString() << "https://example.com/page.php" << QString() << "https://example.com/page.php";
        QTest::newRow("program with parameters") << "open"
                                                 << "C:\\Windows\\System32\\taskschd.msc"
                                                 << "/s \"two words\""
                                                 << "C:\\Windows\\System32\\taskschd.msc|/s|two words";
        QTest::newRow("runas") << "runas"
                               << "winver.exe" << QString() << "winver.exe";
        QTest::newRow("verb in capitals") << "OPEN"
                                          << "mailto:someone@example.com" << QString() << "mailto:someone@example.com";
    }

    void records()
    {
        QFETCH(QString, verb);
        QFETCH(QString, file);
        QFETCH(QString, parameters);
        QFETCH(QString, logged);
        HINSTANCE r = ShellExecuteW(nullptr, verb.isNull() ? nullptr : wstr(verb), wstr(file),
                                    parameters.isNull() ? nullptr : wstr(parameters), nullptr, SW_SHOW);
        QVERIFY(reinterpret_cast<INT_PTR>(r) > 32);
        QCOMPARE(m->logged(QStringLiteral("Start")), QStringList{logged});
    }

    void refuses_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("error");
        QTest::newRow("no file") << "open" << QString() << SE_ERR_FNF;
        QTest::newRow("unknown verb") << "print"
                                      << "https://example.com" << SE_ERR_NOASSOC;
    }

    void refuses()
    {
        QFETCH(QString, verb);
        QFETCH(QString, file);
        QFETCH(int, error);
        HINSTANCE r =
            ShellExecuteW(nullptr, wstr(verb), file.isNull() ? nullptr : wstr(file), nullptr, nullptr, SW_SHOWNORMAL);
        QCOMPARE(reinterpret_cast<INT_PTR>(r), INT_PTR(error));
        QVERIFY(m->logged(QStringLiteral("Start")).isEmpty());
    }

    void explorerMapsFoldersButNotWindowsPages_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("mapped");
        QTest::newRow("settings page") << "ms-settings:about" << false;
        QTest::newRow("folder with a drive") << "C:\\Users" << true;
    }
    void explorerMapsFoldersButNotWindowsPages()
    {
        QFETCH(QString, argument);
        QFETCH(bool, mapped);
        machine::setSetting(QStringLiteral("launcher.host"), QStringLiteral("1")); // only asked, nothing started
        QString program;
        QStringList arguments;
        QCOMPARE(launcher::mapProgram(QStringLiteral("explorer"), {argument}, &program, &arguments), mapped);
        QCOMPARE(program, mapped ? QStringLiteral("xdg-open") : QString());
    }

    void documentIsRecordedByItsPath()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("notes.txt"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        HINSTANCE r = ShellExecuteW(nullptr, WSTR("open"), wstr(path), nullptr, wstr(dir.path()), SW_SHOWNORMAL);
        QVERIFY(reinterpret_cast<INT_PTR>(r) > 32);
        QCOMPARE(m->logged(QStringLiteral("Start")), QStringList{path});
    }

    // A machine named by a relative path: our own programs start in the install folder and must still open
    // this machine, not make a new one there.
    void ownProgramsGetTheMachinesFullPath_data()
    {
        QTest::addColumn<bool>("throughShell");
        QTest::newRow("ShellExecuteW") << true;
        QTest::newRow("startProgram") << false;
    }
    void ownProgramsGetTheMachinesFullPath()
    {
        QFETCH(bool, throughShell);
        const QString machineFolder = machine::folder();
        QTemporaryDir install;
        // Stands in for our program: it tells which machine it was given.
        const QString script = install.path() + QStringLiteral("/Hushdeck");
        {
            QFile f(script);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\nprintf '%s' \"$HUSHDECK_MACHINE\" > \"$(dirname \"$0\")/machine.txt\"\n");
        }
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QString previousFolder = QDir::currentPath();
        const QByteArray previousInstall = qgetenv("HUSHDECK_INSTALL");
        qputenv("HUSHDECK_INSTALL", QFile::encodeName(install.path()));
        QVERIFY(QDir::setCurrent(QFileInfo(machineFolder).path()));
        machine::reset();
        qputenv("HUSHDECK_MACHINE", "machine");
        QCOMPARE(machine::folder(), machineFolder);

        QProcess process;
        if (throughShell)
            QVERIFY(quintptr(ShellExecuteW(nullptr, WSTR("open"), WSTR("Hushdeck.exe"), nullptr,
                                           wstr(fromHostPath(install.path())), SW_SHOWNORMAL)) > 32);
        else
            startProgram(&process, QStringLiteral("Hushdeck.exe"), {});
        QFile told(install.path() + QStringLiteral("/machine.txt"));
        QTRY_VERIFY_WITH_TIMEOUT(told.exists() && told.size() > 0, 10000);
        process.waitForFinished(5000);

        machine::reset();
        qputenv("HUSHDECK_MACHINE", QFile::encodeName(machineFolder));
        qputenv("HUSHDECK_INSTALL", previousInstall);
        QDir::setCurrent(previousFolder);
        QVERIFY(told.open(QIODevice::ReadOnly));
        QCOMPARE(QFile::decodeName(told.readAll()), machineFolder);
    }

    // The machine's own programs in C:\Windows\System32 are written as its own plain files: an entry that is a
    // link or a second name of another file is replaced, never written through, and nothing is written
    // through a System32 that links elsewhere.
    void systemProgramsNeverWriteThroughALink_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("link to a file") << "link";
        QTest::newRow("second name of a file") << "hard link";
        QTest::newRow("System32 linked elsewhere") << "folder link";
    }
    void systemProgramsNeverWriteThroughALink()
    {
        QFETCH(QString, entry);
        QTemporaryDir outside;
        const QString victim = outside.path() + QStringLiteral("/victim");
        writeVictim(victim);
        const QString system = machine::windowsFolder() + QStringLiteral("/System32");
        const QString program = system + QStringLiteral("/ipconfig.exe");
        machine::reset();
        if (entry == QLatin1String("folder link")) {
            QVERIFY(QDir(system).removeRecursively());
            QVERIFY(QFile::link(outside.path(), system));
        } else {
            QVERIFY(QFile::remove(program));
            if (entry == QLatin1String("link"))
                QVERIFY(QFile::link(victim, program));
            else
                QCOMPARE(::link(QFile::encodeName(victim).constData(), QFile::encodeName(program).constData()), 0);
        }
        const QByteArray previousInstall = qgetenv("HUSHDECK_INSTALL");
        qputenv("HUSHDECK_INSTALL", QFile::encodeName(outside.path()));
        machine::folder(); // the start that writes the programs
        qputenv("HUSHDECK_INSTALL", previousInstall);

        QFile kept(victim);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep"));
        QCOMPARE(kept.permissions() & QFile::ExeOwner, QFile::Permissions());
        QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"victim"});
        if (entry != QLatin1String("folder link")) {
            const QFileInfo written(program);
            QVERIFY(!written.isSymLink());
            QVERIFY(written.isExecutable());
        }
    }

    // A drive_c kept when machine.db was emptied is seeded afresh at the next start: a seeded file's name that
    // is a link is replaced, never written through, and nothing is seeded into a folder that a link stands in
    // for; the debug output says which.
    void seedingNeverWritesThroughALink_data()
    {
        QTest::addColumn<QString>("entry"); // below C:, made a link to the outside file or folder
        QTest::addColumn<QString>("said");
        const QString replaced = QStringLiteral("is not the machine's own file; replaced");
        const QString notSeeded = QStringLiteral("not seeded: a folder on its way is a link");
        QTest::newRow("icon cache") << "Users/User/AppData/Local/Microsoft/Windows/Explorer/iconcache_16.db"
                                    << replaced;
        QTest::newRow("temporary log") << "Users/User/AppData/Local/Temp/MpCmdRun.log" << replaced;
        QTest::newRow("task file") << "Windows/System32/Tasks/MicrosoftEdgeUpdateTaskMachineUA" << replaced;
        QTest::newRow("Explorer folder") << "Users/User/AppData/Local/Microsoft/Windows/Explorer" << notSeeded;
        QTest::newRow("roaming Windows folder") << "Users/User/AppData/Roaming/Microsoft/Windows" << notSeeded;
        QTest::newRow("program folder") << "Program Files/Notes" << notSeeded;
    }
    void seedingNeverWritesThroughALink()
    {
        QFETCH(QString, entry);
        QFETCH(QString, said);
        QTemporaryDir outside;
        const QString victim = outside.path() + QStringLiteral("/victim");
        writeVictim(victim);
        const QString at = machine::systemDrive() + QLatin1Char('/') + entry;
        const bool folder = QFileInfo(at).isDir();
        const QString machineFolder = machine::folder();
        machine::reset();
        for (const QString &name : QDir(machineFolder).entryList({QStringLiteral("machine.db*")}, QDir::Files))
            QVERIFY(QFile::remove(machineFolder + QLatin1Char('/') + name));
        // An empty store in its place: the folder is still a machine (one without machine.db is refused).
        QVERIFY(QFile(machineFolder + QStringLiteral("/machine.db")).open(QIODevice::WriteOnly));
        QVERIFY(folder ? QDir(at).removeRecursively() : QFile::remove(at));
        QVERIFY(QFile::link(folder ? outside.path() : victim, at));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QRegularExpression::escape(said)));
        machine::setting(QStringLiteral("elevated")); // the first use of the new store seeds the machine

        QFile kept(victim);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep"));
        QCOMPARE(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"victim"});
        QCOMPARE(QFileInfo(at).isSymLink(), folder);
    }

    // A link in machine.db's place (to an empty file, which a new store would take) is refused: the store is
    // never written through it.
    void storeNeverWrittenThroughALink()
    {
        QTemporaryDir outside;
        const QString victim = outside.path() + QStringLiteral("/victim");
        QFile kept(victim);
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.close();
        const QString machineFolder = machine::folder();
        machine::reset();
        for (const QString &name : QDir(machineFolder).entryList({QStringLiteral("machine.db*")}, QDir::Files))
            QVERIFY(QFile::remove(machineFolder + QLatin1Char('/') + name));
        QVERIFY(QFile::link(victim, machineFolder + QStringLiteral("/machine.db")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("machine: cannot open")));
        QCOMPARE(machine::setting(QStringLiteral("elevated"), QStringLiteral("none")), QStringLiteral("none"));
        machine::reset();
        QVERIFY(QFile::remove(machineFolder + QStringLiteral("/machine.db")));
        QCOMPARE(QFileInfo(victim).size(), 0);
    }

private:
    // The file outside the machine that no start may write.
    static void writeVictim(const QString &path)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestShellExecute)
#include "tst_shellexecute.moc"
