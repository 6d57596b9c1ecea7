// What HUSHDECK_MACHINE names becomes a machine only when it is one or is empty: a copied Windows tree, a file
// or a folder that cannot be written is refused with a message naming the variable, once, and left as it was.
#include "linux/machine/machine.h"
#include "foldertree.h"
#include "testmachine.h"
#include "withoutoverride.h"
#include "win32.h"

#include <QtTest>

namespace {

// Write permission back at the end, so that the scratch folder can go.
struct Writable
{
    QString path;
    ~Writable() { QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); }
};

int machineWarnings = 0;
QtMessageHandler previousHandler = nullptr;

void countWarnings(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("machine:")))
        ++machineWarnings;
    previousHandler(type, context, text);
}

} // namespace

class TestMachineFolder : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m.reset(new TestMachine);
        tested = qgetenv("HUSHDECK_MACHINE");
    }
    void cleanup()
    {
        qputenv("HUSHDECK_MACHINE", tested);
        machine::reset();
        m.reset();
    }

    void foreignFolderIsRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("cause");
        QTest::newRow("copied Windows tree") << "tree"
                                             << "holds files but no machine.db";
        QTest::newRow("a file") << "file"
                                << "is a file, not a folder";
        QTest::newRow("empty folder that cannot be written") << "read-only"
                                                             << "cannot be written";
        QTest::newRow("machine in a folder that cannot be written") << "read-only machine"
                                                                    << "cannot be written";
    }
    void foreignFolderIsRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, cause);
        QTemporaryDir scratch;
        const QString target = scratch.filePath(QStringLiteral("target"));
        const Writable restore{target};
        if (kind == QLatin1String("file")) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("notes") == 5);
        } else if (kind == QLatin1String("tree")) {
            for (const char *folder : {"Windows/System32", "Users/Bob/Documents", "Program Files/App"})
                QVERIFY(QDir().mkpath(target + QLatin1Char('/') + QLatin1String(folder)));
            QFile letter(target + QStringLiteral("/Users/Bob/Documents/letter.txt"));
            QVERIFY(letter.open(QIODevice::WriteOnly) && letter.write("Dear Alice") == 10);
        } else {
            QVERIFY(QDir().mkpath(target));
            if (kind == QLatin1String("read-only machine")) {
                qputenv("HUSHDECK_MACHINE", QFile::encodeName(target));
                machine::reset();
                QVERIFY(machineUsable());
                machine::reset();
            }
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner));
        }
        const QString before = folderTree(scratch.path());
        qputenv("HUSHDECK_MACHINE", QFile::encodeName(target));
        machine::reset();

        machineWarnings = 0;
        previousHandler = qInstallMessageHandler(countWarnings);
        {
            WithoutOverride bypassOff;
            QVERIFY(bypassOff.ok());
            QVERIFY(!machineUsable());
            // Later uses meet the same refusal without trying (and saying it) again.
            HKEY key = nullptr;
            QVERIFY(RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software"), 0, KEY_READ, &key) != ERROR_SUCCESS);
            QVERIFY(!machineUsable());
        }
        qInstallMessageHandler(previousHandler);
        QCOMPARE(machineWarnings, 1);

        const QStringList boxes = m->logged(QStringLiteral("MessageBox"));
        QCOMPARE(boxes.size(), 2);
        const QString &box = boxes.first();
        QVERIFY2(box.contains(QDir::toNativeSeparators(target)) && box.contains(QStringLiteral("HUSHDECK_MACHINE")) &&
                     box.contains(cause),
                 qPrintable(box));
        QCOMPARE(folderTree(scratch.path()), before);
    }

private:
    std::unique_ptr<TestMachine> m;
    QByteArray tested;
};

QTEST_GUILESS_MAIN(TestMachineFolder)
#include "tst_machinefolder.moc"
