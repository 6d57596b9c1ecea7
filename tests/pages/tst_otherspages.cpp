// The Others pages: what is particular to them beyond the contract. The old context menu's key, the
// screenshot folder (its default, its browse button, its value as written) and the restore of both.
#include "settingcases.h"
#include "testmachine.h"

#include "krutils.h"
#include "others/oldcontextmenuform.h"
#include "others/screenshotlocationform.h"
#include "shellhelpers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

const QString clsid = QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes\\CLSID");
const QString handler = clsid + QStringLiteral("\\{86ca1aa0-34aa-4e8b-a509-50c905bae2a2}");
const QString server = handler + QStringLiteral("\\InprocServer32");
const QString shellFolders =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
const QString screenshots = QStringLiteral("{B7BEDE81-DF94-4682-A7D8-57A52620B86F}");

bool keyExists(const QString &path)
{
    machine::Lock lock;
    return registrystore::findKey(path) != 0;
}

QByteArray wide(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

} // namespace

class TestOthersPages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;
    QString pictures;

private slots:
    void init()
    {
        m.reset(new TestMachine);
        lowerOneShotFlags();
        machine::setSetting(QStringLiteral("xdg"), QStringLiteral("0")); // Pictures inside the machine
        pictures = picturesPath();
    }
    void cleanup() { m.reset(); }

    void oldContextMenuFollowsTheKey_data()
    {
        QTest::addColumn<QString>("start"); // "none", "empty" (the key, no value), "value"
        QTest::addColumn<int>("shown");
        QTest::newRow("no key") << "none" << 0;
        QTest::newRow("key without its value") << "empty" << 0;
        QTest::newRow("key with an empty value") << "value" << 1;
    }
    void oldContextMenuFollowsTheKey()
    {
        QFETCH(QString, start);
        QFETCH(int, shown);
        if (start != QLatin1String("none")) {
            machine::Lock lock;
            const qint64 node = registrystore::ensureKey(server);
            if (start == QLatin1String("value"))
                registrystore::writeValue(node, QString(), REG_SZ, registrystore::stringData(QString()));
        }
        OldContextMenuForm page;
        auto *combo = child<QComboBox>(&page, "oldContextMenuComboBox");
        QCOMPARE(combo->currentIndex(), shown);
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        combo->setCurrentIndex(1 - shown);
        QCOMPARE(spy.count(), 1);
        QVERIFY(!spy.last().at(4).toBool()); // never missing
        QCOMPARE(spy.last().at(3).toString(), QString::number(shown));

        // Enabling creates the key with an empty default value; disabling leaves no handler key at all.
        combo->setCurrentIndex(1);
        QVERIFY(page.writeData(false, false, QString()));
        QCOMPARE(registryValue(server, QString()), std::optional<RegValue>({REG_SZ, registrystore::stringData({})}));
        combo->setCurrentIndex(0);
        QVERIFY(page.writeData(false, false, QString()));
        QVERIFY(!keyExists(handler));
        QVERIFY(keyExists(clsid));
        // A restore puts back the state recorded.
        QVERIFY(page.writeData(true, false, QString::number(shown)));
        QCOMPARE(keyExists(server), shown == 1);
        // A record marked absent still holds a state: the menu is on or off, never absent.
        QVERIFY(page.writeData(true, true, QStringLiteral("1")));
        QCOMPARE(registryValue(server, QString()), std::optional<RegValue>({REG_SZ, registrystore::stringData({})}));
    }

    void screenshotFolderDefault_data()
    {
        QTest::addColumn<bool>("screenshotsExists");
        QTest::addColumn<QString>("stored"); // "" = absent; %P stands for the Pictures folder
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("oldDesc");
        const QString p = QStringLiteral("Change screenshot location to %P/Screenshots");
        QTest::newRow("absent, Screenshots there") << true << ""
                                                   << "%P/Screenshots" << p + " (default).";
        QTest::newRow("absent, no Screenshots") << false << ""
                                                << "%P"
                                                << "Change screenshot location to %P (default).";
        QTest::newRow("stored, other case") << true << "%P\\SCREENSHOTS"
                                            << "%P\\SCREENSHOTS"
                                            << "Change screenshot location to %P\\SCREENSHOTS.";
        QTest::newRow("stored elsewhere") << true << "D:\\elsewhere"
                                          << "D:\\elsewhere"
                                          << "Change screenshot location to D:\\elsewhere.";
    }
    void screenshotFolderDefault()
    {
        QFETCH(bool, screenshotsExists);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, oldDesc);
        const QString native = nativeSeparators(pictures);
        stored.replace(QLatin1String("%P"), pictures);
        shown = nativeSeparators(shown.replace(QLatin1String("%P"), pictures));
        oldDesc.replace(QLatin1String("%P/Screenshots"), nativeSeparators(pictures + "/Screenshots"));
        oldDesc.replace(QLatin1String("%P"), stored.isEmpty() ? native : pictures);
        if (screenshotsExists)
            QVERIFY(QDir().mkpath(hostPath(pictures) + QStringLiteral("/Screenshots")));
        if (!stored.isEmpty())
            setRegistryValue(shellFolders, screenshots, REG_EXPAND_SZ, registrystore::stringData(stored));
        ScreenshotLocationForm page;
        auto *edit = child<QLineEdit>(&page, "ScreenshotLocationLineEdit");
        QCOMPARE(edit->text(), shown);
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        edit->setText(QStringLiteral("/x"));
        QCOMPARE(spy.last().at(5).toString(), oldDesc);
        QCOMPARE(spy.last().at(4).toBool(), stored.isEmpty());
        QCOMPARE(spy.last().at(3).toString(), stored);
        // Once the default is known it is recognised in any letter case.
        page.defaultScreenshotFolder();
        edit->setText(page.defaultScreenshotFolder().toUpper());
        QVERIFY(spy.last().at(1).toString().endsWith(QLatin1String(" (default).")));
    }

    void screenshotFolderKeepsNoTerminator()
    {
        // A value stored with extra terminators reads as the folder alone and is written back so.
        const QString folder = nativeSeparators(pictures);
        setRegistryValue(shellFolders, screenshots, REG_EXPAND_SZ, wide(folder) + QByteArray(6, '\0'));
        ScreenshotLocationForm page;
        auto *edit = child<QLineEdit>(&page, "ScreenshotLocationLineEdit");
        QCOMPARE(edit->text(), folder);
        page.defaultScreenshotFolder(); // no Screenshots below Pictures: Pictures is the default
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        edit->setText(folder + QLatin1Char('x'));
        edit->setText(folder);
        QCOMPARE(spy.last().at(1).toString(),
                 QStringLiteral("Change screenshot location to %1 (default).").arg(folder));
        QVERIFY(page.writeData(false, false, QString()));
        QCOMPARE(registryValue(shellFolders, screenshots),
                 std::optional<RegValue>({REG_EXPAND_SZ, registrystore::stringData(folder)}));
    }

    // With V as long as Windows lets a variable be, a folder of many references to it expands to one V at
    // most: past 32K characters, terminator included, both calls give no answer (the page then shows the
    // text as stored), at once and without building the text they refuse.
    void expansionStaysWithinWindowsLimit_data()
    {
        QTest::addColumn<int>("references");
        QTest::addColumn<bool>("fits");
        QTest::newRow("one: 32,767 characters") << 1 << true;
        QTest::newRow("two") << 2 << false;
        QTest::newRow("2,000") << 2000 << false;
        QTest::newRow("a text longer than the limit") << 12000 << false;
    }
    void expansionStaysWithinWindowsLimit()
    {
        QFETCH(int, references);
        QFETCH(bool, fits);
        const QString v(32767, QLatin1Char('v'));
        setRegistryValue(QStringLiteral("HKEY_CURRENT_USER\\Environment"), QStringLiteral("V"), REG_SZ,
                         registrystore::stringData(v));
        const QString text = QStringLiteral("%V%").repeated(references);
        setRegistryValue(shellFolders, screenshots, REG_EXPAND_SZ, registrystore::stringData(text));
        QElapsedTimer clock;
        clock.start();
        SetLastError(0);
        QCOMPARE(ExpandEnvironmentStringsW(wstr(text), nullptr, 0), DWORD(fits ? 32768 : 0));
        QCOMPARE(GetLastError(), DWORD(fits ? 0 : ERROR_INSUFFICIENT_BUFFER));
        DWORD bytes = 0;
        QCOMPARE(RegGetValueW(HKEY_CURRENT_USER, wstr(shellFolders.mid(18)), wstr(screenshots), RRF_RT_REG_SZ, nullptr,
                              nullptr, &bytes),
                 LONG(fits ? ERROR_SUCCESS : ERROR_INSUFFICIENT_BUFFER));
        QCOMPARE(bytes, DWORD(fits ? 65536 : 0));
        ScreenshotLocationForm page;
        auto *edit = child<QLineEdit>(&page, "ScreenshotLocationLineEdit");
        QCOMPARE(edit->text(), fits ? v : text.left(edit->maxLength()));
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    }

    void browse_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("taken");
        QTest::newRow("a folder") << "%T" << true;
        QTest::newRow("cancel") << "" << false;
        QTest::newRow("the host's root, drive Z:") << "/" << true;
        QTest::newRow("gone") << "%T/gone" << false;
    }
    void browse()
    {
        QFETCH(QString, answer);
        QFETCH(bool, taken);
        QTemporaryDir target;
        answer.replace(QLatin1String("%T"), target.path());
        ScreenshotLocationForm page;
        auto *edit = child<QLineEdit>(&page, "ScreenshotLocationLineEdit");
        const QString before = QStringLiteral("/no/such/folder");
        edit->setText(before);
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        m->answerFolderBrowser(answer);
        child<QToolButton>(&page, "ScreenshotLocationToolButton")->click();
        QCOMPARE(edit->text(), taken ? fromHostPath(answer) : before); // the browser names it on its drive
        QCOMPARE(spy.count(), taken ? 1 : 0);
        // The field named no folder, so the picker started at the default one.
        QCOMPARE(nativeSeparators(m->logged(QStringLiteral("BrowseForFolder")).value(0)), pictures);
    }

    void screenshotFolderRestoresExactly()
    {
        // Absent at load: a restore deletes it again. Present: the text comes back as REG_EXPAND_SZ, its
        // variables unexpanded.
        for (const QString &start :
             {QString(), QStringLiteral("D:\\Shots"), QStringLiteral("%USERPROFILE%\\Pictures\\Screenshots")}) {
            if (start.isEmpty())
                deleteRegistryValue(shellFolders, screenshots);
            else
                setRegistryValue(shellFolders, screenshots, REG_EXPAND_SZ, registrystore::stringData(start));
            const std::optional<RegValue> before = registryValue(shellFolders, screenshots);
            ScreenshotLocationForm page;
            auto *edit = child<QLineEdit>(&page, "ScreenshotLocationLineEdit");
            QVERIFY(!edit->text().contains(QLatin1Char('%'))); // shown expanded
            const QString shown = edit->text();
            QSignalSpy spy(&page, &SettingPage::settingChanged);
            edit->setText(QStringLiteral("E:\\New"));
            QVERIFY(page.writeData(false, false, QString()));
            QVERIFY(page.writeData(true, spy.last().at(4).toBool(), spy.last().at(3).toString()));
            QCOMPARE(registryValue(shellFolders, screenshots), before);
            if (start.isEmpty())
                continue;
            // The folder typed back as shown is saved as it was stored.
            edit->setText(shown);
            QVERIFY(page.writeData(false, false, QString()));
            QCOMPARE(registryValue(shellFolders, screenshots), before);
        }
    }

    void theCounterShowsHighIndexes()
    {
        const SettingCase &c = settingCase(104);
        storeShown(c, 4321);
        ScreenshotCounterForm page;
        QCOMPARE(shownValue(&page, c), 4321);
    }
};

QTEST_MAIN(TestOthersPages)
#include "tst_otherspages.moc"
