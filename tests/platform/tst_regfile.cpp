// Registry files import as Windows' own editor would import them.
#include "linux/machine/machine.h"
#include "linux/registry/registrystore.h"
#include "testmachine.h"
#include "win32.h"

#include <QtTest>

namespace {

QByteArray rawValue(const QString &key, const QString &name, DWORD *type)
{
    BYTE buf[1024];
    DWORD size = sizeof(buf);
    if (RegGetValueW(HKEY_CURRENT_USER, wstr(key), name.isEmpty() ? nullptr : wstr(name), RRF_RT_ANY | RRF_NOEXPAND,
                     type, buf, &size) != ERROR_SUCCESS)
        return QByteArray("<absent>");
    return QByteArray(reinterpret_cast<const char *>(buf), int(size));
}

QByteArray utf16(const QString &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.utf16()), (s.size() + 1) * 2);
}

bool import(const QString &text, QString *error = nullptr)
{
    machine::Lock lock;
    return registrystore::importRegText(text, error);
}

} // namespace

class TestRegFile : public QObject
{
    Q_OBJECT

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void valueKinds_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("string") << QStringLiteral("\"v\"=\"hello\"") << REG_SZ << utf16(QStringLiteral("hello"));
        QTest::newRow("escapes") << QStringLiteral("\"v\"=\"C:\\\\Windows \\\"x\\\"\"") << REG_SZ
                                 << utf16(QStringLiteral("C:\\Windows \"x\""));
        QTest::newRow("dword") << QStringLiteral("\"v\"=dword:0000001f") << REG_DWORD << QByteArray("\x1f\0\0\0", 4);
        QTest::newRow("dword max") << QStringLiteral("\"v\"=dword:ffffffff") << REG_DWORD
                                   << QByteArray("\xff\xff\xff\xff", 4);
        QTest::newRow("binary") << QStringLiteral("\"v\"=hex:30,00,ff") << REG_BINARY << QByteArray("\x30\x00\xff", 3);
        QTest::newRow("expand") << QStringLiteral("\"v\"=hex(2):25,00,41,00,25,00,00,00") << REG_EXPAND_SZ
                                << utf16(QStringLiteral("%A%"));
        QTest::newRow("multi") << QStringLiteral("\"v\"=hex(7):61,00,00,00,62,00,00,00,00,00") << REG_MULTI_SZ
                               << QByteArray("a\0\0\0b\0\0\0\0\0", 10);
        QTest::newRow("qword") << QStringLiteral("\"v\"=hex(b):01,00,00,00,00,00,00,00") << REG_QWORD
                               << QByteArray("\x01\0\0\0\0\0\0\0", 8);
        QTest::newRow("continued") << QStringLiteral("\"v\"=hex:01,02,\\\n  03,04") << REG_BINARY
                                   << QByteArray("\x01\x02\x03\x04", 4);
    }

    void valueKinds()
    {
        QFETCH(QString, line);
        QFETCH(int, type);
        QFETCH(QByteArray, bytes);
        QString error;
        QVERIFY2(import(QStringLiteral(
                            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Imp]\r\n") +
                            line + QStringLiteral("\r\n"),
                        &error),
                 qPrintable(error));
        DWORD got = 0;
        QCOMPARE(rawValue(QStringLiteral("Software\\Imp"), QStringLiteral("v"), &got), bytes);
        QCOMPARE(int(got), type);
    }

    void defaultValueAndDeletions()
    {
        QVERIFY(import(QStringLiteral("Windows Registry Editor Version 5.00\n"
                                      "[HKEY_CURRENT_USER\\Software\\Imp\\Sub\\Deeper]\n"
                                      "@=\"default\"\n"
                                      "\"gone\"=\"x\"\n"
                                      "; a comment\n"
                                      "[HKEY_CURRENT_USER\\Software\\Imp\\Other]\n")));
        DWORD type = 0;
        QCOMPARE(rawValue(QStringLiteral("Software\\Imp\\Sub\\Deeper"), QString(), &type),
                 utf16(QStringLiteral("default")));
        QVERIFY(import(QStringLiteral("Windows Registry Editor Version 5.00\n"
                                      "[HKEY_CURRENT_USER\\Software\\Imp\\Sub\\Deeper]\n"
                                      "\"gone\"=-\n"
                                      "[-HKEY_CURRENT_USER\\Software\\Imp\\Sub]\n")));
        HKEY h = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Imp\\Sub"), 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("Software\\Imp\\Other"), 0, KEY_READ, &h), ERROR_SUCCESS);
        RegCloseKey(h);
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("no header") << QStringLiteral("[HKEY_CURRENT_USER\\Software\\X]\n");
        QTest::newRow("unknown root") << QStringLiteral("REGEDIT4\n[HKEY_NOWHERE\\X]\n");
        QTest::newRow("value outside key") << QStringLiteral("REGEDIT4\n\"a\"=\"b\"\n");
        QTest::newRow("bad dword") << QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"a\"=dword:zz\n");
        QTest::newRow("bad hex") << QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"a\"=hex:1g\n");
        QTest::newRow("open string") << QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"a\"=\"b\n");
        QTest::newRow("last line cut") << QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"a\"=hex:01,\\");
        QTest::newRow("cut before an empty line")
            << QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\X]\n\"a\"=hex:01,\\\n\n");
        QTest::newRow("deleting a root") << QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\X]\n[-HKEY_CURRENT_USER]\n");
        QTest::newRow("deleting the classes root") << QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\X]\n[-HKCR\\]\n");
        QTest::newRow("deeper than 512 keys")
            << QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\X%1]\n").arg(QStringLiteral("\\k").repeated(512));
    }

    void badInput()
    {
        QFETCH(QString, text);
        QString error;
        QVERIFY(!import(text, &error));
        QVERIFY(error.startsWith(QStringLiteral("line ")));
        // Nothing of a file that fails is imported, not even the lines before the bad one.
        HKEY h = nullptr;
        QCOMPARE(RegOpenKeyExW(HKEY_CURRENT_USER, WSTR("X"), 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
    }

    void deepKeys()
    {
        // 512 levels import; a key nested 50,000 deep (made in the store directly) deletes without recursion.
        QVERIFY(
            import(QStringLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\X%1]\n").arg(QStringLiteral("\\k").repeated(511))));
        {
            machine::Transaction tx;
            qint64 node = registrystore::ensureKey(QStringLiteral("HKEY_CURRENT_USER\\Deep"));
            // Rows of their own making: the full paths the store keeps would grow with the square of the depth.
            for (int level = 0; level < 50000 && node; ++level) {
                machine::Query q("INSERT INTO regkeys(parent, name, uname, upath) VALUES(?, 'k', 'K', ?)");
                q.bind(1, node).bind(2, QStringLiteral("DEEP#%1").arg(level)).exec();
                node = registrystore::childNode(node, QStringLiteral("k"));
            }
            QVERIFY(node);
            QVERIFY(tx.commit());
        }
        QVERIFY(import(QStringLiteral("REGEDIT4\n[-HKEY_CURRENT_USER\\Deep]\n[-HKEY_CURRENT_USER\\X]\n")));
        machine::Lock lock;
        QCOMPARE(registrystore::findKey(QStringLiteral("HKEY_CURRENT_USER\\Deep")), 0);
        machine::Query left("SELECT COUNT(*) FROM regkeys WHERE uname='K'");
        QVERIFY(left.next());
        QCOMPARE(left.integer(0), 0);
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_GUILESS_MAIN(TestRegFile)
#include "tst_regfile.moc"
