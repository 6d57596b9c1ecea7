// What is particular to the Taskbar tab: the two pages that patch single bytes of the taskbar's StuckRects3
// blob, the basic edition's transparency page and the helper it drives, the systems each page exists on,
// and a save and restore of the whole tab that gives the registry back exactly.
#include "linux/machine/machine.h"
#include "pagetable.h"
#include "settingcases.h"
#include "testmachine.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QString stuckRectsKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StuckRects3");
const QString runKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");

// A blob longer than the seeded one, every byte different, the taskbar at the bottom with one row.
QByteArray longBlob(int size)
{
    QByteArray blob(size, '\0');
    for (int i = 0; i < size; ++i)
        blob[i] = char((i * 37 + 11) & 0xff);
    blob[12] = 3;
    blob[44] = 1;
    return blob;
}

QByteArray patched(QByteArray blob, int offset, int byte)
{
    blob[offset] = char(byte);
    return blob;
}

std::optional<QByteArray> blobNow()
{
    const std::optional<RegValue> v = registryValue(stuckRectsKey, QStringLiteral("Settings"));
    return v ? std::optional<QByteArray>(v->data) : std::nullopt;
}

void setBlob(const QByteArray &blob)
{
    if (blob.isNull())
        deleteRegistryValue(stuckRectsKey, QStringLiteral("Settings"));
    else
        setRegistryValue(stuckRectsKey, QStringLiteral("Settings"), REG_BINARY, blob);
}

// Messages posted to the helper window of this process, as "message:wParam".
QStringList postedToHelper()
{
    QStringList out;
    for (const windowtable::Message &msg : windowtable::takeMessages(DWORD(getpid())))
        out << QStringLiteral("%1:%2").arg(msg.msg).arg(msg.wParam);
    return out;
}

qint64 taskbarAlpha()
{
    machine::Lock lock;
    machine::Query q("SELECT alpha FROM windows WHERE hwnd=?");
    q.bind(1, qint64(reinterpret_cast<quintptr>(FindWindowW(WSTR("Shell_TrayWnd"), nullptr))));
    return q.next() ? q.integer(0) : -1;
}

QString helperRunValue()
{
    KRUtils u;
    return QLatin1Char('"') + u.appPath() + QStringLiteral("\\Glasspan.exe\"");
}

} // namespace

class TestTaskbarPages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;
    QTemporaryDir noInstall;

private slots:
    void init()
    {
        m.reset(new TestMachine);
        lowerOneShotFlags();
        qputenv("HUSHDECK_INSTALL", QFile::encodeName(noInstall.path())); // the helper is never really started
    }
    void cleanup()
    {
        m.reset();
        lowerOneShotFlags();
    }

    void oneByteOfTheBlob_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QByteArray>("blob"); // null: the value is absent
        QTest::addColumn<int>("shown");       // what the page shows after its load
        QTest::addColumn<int>("choose");      // -1: restore storedText instead
        QTest::addColumn<QString>("storedText");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QByteArray>("expected"); // null: absent afterwards
        const QByteArray blob60 = longBlob(60);
        QTest::newRow("edge: one byte changes, length kept")
            << 7 << blob60 << 3 << 1 << QString() << true << patched(blob60, 12, 1);
        QTest::newRow("edge above 3 shows no choice, restored as read")
            << 7 << patched(blob60, 12, 9) << -1 << -1 << "9" << true << patched(blob60, 12, 9);
        QTest::newRow("rows: restore 0 writes 1") << 11 << patched(blob60, 44, 2) << 1 << -1 << "0" << true << blob60;
        QTest::newRow("rows: restore 1 writes 2") << 11 << blob60 << 0 << -1 << "1" << true << patched(blob60, 44, 2);
        QTest::newRow("rows: byte 0 shows two rows, one row writes 1")
            << 11 << patched(blob60, 44, 0) << 1 << 0 << QString() << true << blob60;
        QTest::newRow("rows: too short to hold the byte, nothing written")
            << 11 << blob60.left(44) << 0 << 1 << QString() << false << blob60.left(44);
        QTest::newRow("edge: absent, nothing written")
            << 7 << QByteArray() << 3 << 0 << QString() << false << QByteArray();
        QTest::newRow("edge: longer than the read buffer, nothing written")
            << 7 << longBlob(1025) << 3 << 1 << QString() << false << longBlob(1025);
        QTest::newRow("edge: restore of an absent blob writes nothing")
            << 7 << QByteArray() << 3 << -1 << "2" << false << QByteArray();
    }
    void oneByteOfTheBlob()
    {
        QFETCH(int, id);
        QFETCH(QByteArray, blob);
        QFETCH(int, shown);
        QFETCH(int, choose);
        QFETCH(QString, storedText);
        QFETCH(bool, written);
        QFETCH(QByteArray, expected);
        setBlob(blob);
        const SettingCase &c = settingCase(id);
        std::unique_ptr<SettingPage> page(c.create());
        QCOMPARE(shownValue(page.get(), c), shown);
        if (choose >= 0)
            showValue(page.get(), c, choose);
        QCOMPARE(page->writeSetting(id, choose < 0, true, storedText), written);
        QCOMPARE(blobNow(), expected.isNull() ? std::nullopt : std::optional<QByteArray>(expected));
        QVERIFY(restartExplorerPending); // raised whether or not the write went through
    }

    // A text where the blob should be is not patched: written back it would become a blob.
    void aBlobStoredAsTextIsLeftAlone()
    {
        const QByteArray text = registrystore::stringData(QString(30, QLatin1Char('a')));
        setRegistryValue(stuckRectsKey, QStringLiteral("Settings"), REG_SZ, text);
        TaskbarPositionForm page;
        showValue(&page, settingCase(7), 1);
        QVERIFY(!page.writeSetting(7, false, false, QString()));
        QCOMPARE(registryValue(stuckRectsKey, QStringLiteral("Settings")), std::optional<RegValue>({REG_SZ, text}));
    }

    void aByteWithoutAChoiceIsDescribedAsTheDefaultEdge()
    {
        setBlob(patched(longBlob(48), 12, 7));
        TaskbarPositionForm page;
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        showValue(&page, settingCase(7), 0);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().at(3).toString(), QStringLiteral("7"));
        QCOMPARE(spy.last().at(4).toBool(), false);
        QCOMPARE(spy.last().at(5).toString(),
                 QStringLiteral("Set taskbar position to the bottom of the screen (default)."));
    }

    void bothPagesAppliedTogetherKeepBothChanges_data()
    {
        QTest::addColumn<bool>("rowsFirst");
        QTest::newRow("edge written first") << false;
        QTest::newRow("rows written first") << true;
    }
    void bothPagesAppliedTogetherKeepBothChanges()
    {
        QFETCH(bool, rowsFirst);
        const QByteArray blob = longBlob(48);
        setBlob(blob);
        TaskbarPositionForm edge;
        TwoRowsNotifAreaForm rows;
        showValue(&edge, settingCase(7), 1);
        showValue(&rows, settingCase(11), 1);
        if (rowsFirst) {
            QVERIFY(rows.writeData(false, false, QString()));
            QVERIFY(edge.writeData(false, false, QString()));
        } else {
            QVERIFY(edge.writeData(false, false, QString()));
            QVERIFY(rows.writeData(false, false, QString()));
        }
        QCOMPARE(blobNow(), std::optional<QByteArray>(patched(patched(blob, 12, 1), 44, 2)));
        // Restoring both, in the same order, gives the blob back.
        QVERIFY(edge.writeData(true, false, QStringLiteral("3")));
        QVERIFY(rows.writeData(true, false, QStringLiteral("0")));
        QCOMPARE(blobNow(), std::optional<QByteArray>(blob));
    }

    void transparency_data()
    {
        QTest::addColumn<bool>("helperRunning");
        QTest::addColumn<bool>("otherFeature"); // the wallpaper changer still needs the helper
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("posted");
        QTest::addColumn<bool>("runValue");
        QTest::addColumn<QStringList>("started");
        QTest::addColumn<int>("alpha");   // the taskbar's opacity afterwards
        QTest::addColumn<int>("enabled"); // the helper's own switch afterwards, which it reads at every start
        const QString set = QString::number(WM_USER + 109), on = QString::number(WM_USER + 110),
                      off = QString::number(WM_USER + 111), close = QString::number(WM_CLOSE);
        const QStringList none;
        QTest::newRow("enable, helper running: level then on")
            << true << false << "enable" << QStringList{set + ":128", on + ":0"} << true << none << 100 << 1;
        QTest::newRow("enable, no helper: started hidden with the level")
            << false << false << "enable" << none << true << QStringList{"\\Glasspan.exe|128"} << 100 << 1;
        QTest::newRow("disable, helper running alone: off, then closed")
            << true << false << "disable" << QStringList{off + ":0", close + ":0"} << false << none << 255 << 0;
        QTest::newRow("disable, helper still needed: off only, logon start kept")
            << true << true << "disable" << QStringList{off + ":0"} << true << none << 255 << 0;
        QTest::newRow("disable, no helper: nothing posted")
            << false << false << "disable" << none << false << none << 255 << 0;
        QTest::newRow("restore 1 takes the enable path")
            << true << false << "restore on" << QStringList{set + ":128", on + ":0"} << true << none << 100 << 1;
        QTest::newRow("restore 0 takes the disable path")
            << true << false << "restore off" << QStringList{off + ":0", close + ":0"} << false << none << 255 << 0;
        QTest::newRow("level, helper running")
            << true << false << "level" << QStringList{set + ":128"} << true << none << 100 << 1;
        QTest::newRow("level, no helper: only stored") << false << false << "level" << none << true << none << 100 << 0;
        QTest::newRow("restore of an absent level: the opaque level written and posted")
            << true << false << "restore absent level" << QStringList{set + ":255"} << true << none << 100 << 1;
    }
    void transparency()
    {
        QFETCH(bool, helperRunning);
        QFETCH(bool, otherFeature);
        QFETCH(QString, action);
        QFETCH(QStringList, posted);
        QFETCH(bool, runValue);
        QFETCH(QStringList, started);
        QFETCH(int, alpha);
        QFETCH(int, enabled);
        const QString root = QStringLiteral("HKEY_CURRENT_USER\\" HUSHDECK_SETTINGS_ROOT);
        const QString levelKey = fullKey(settingCase(8)); // under the running edition's own root
        const QString levelName = QStringLiteral("TaskbarTransparentLevel");
        setRegistryValue(levelKey, levelName, REG_DWORD, dwordData(200));
        setRegistryValue(runKey, QStringLiteral("TransparentTaskbar"), REG_SZ,
                         registrystore::stringData(helperRunValue()));
        if (otherFeature)
            setRegistryValue(root + QStringLiteral("\\WallpaperChanger"), QStringLiteral("Enabled"), REG_DWORD,
                             dwordData(1));
        storeShown(settingCase(12), helperRunning ? 1 : 0);
        HWND taskbar = FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
        SetWindowLongW(taskbar, GWL_EXSTYLE, GetWindowLongW(taskbar, GWL_EXSTYLE) | WS_EX_LAYERED);
        SetLayeredWindowAttributes(taskbar, 0, 100, LWA_ALPHA);

        TransparentTaskbarForm page;
        auto *slider = child<QSlider>(&page, "GlasspanHorizontalSlider");
        QCOMPARE(child<QComboBox>(&page, "GlasspanComboBox")->currentIndex(), helperRunning ? 1 : 0);
        QCOMPARE(slider->isEnabled(), helperRunning); // the level counts only while on
        QCOMPARE(slider->value(), 200);
        child<QLineEdit>(&page, "GlasspanLineEdit")->setText(QStringLiteral("128"));
        postedToHelper(); // nothing before the catalogue asks
        const int before = m->logged(QStringLiteral("Start")).size();

        bool ok = false;
        if (action == QLatin1String("enable") || action == QLatin1String("disable")) {
            showValue(&page, settingCase(12), action == QLatin1String("enable") ? 1 : 0);
            QCOMPARE(slider->isEnabled(), action == QLatin1String("enable"));
            ok = page.writeData(12, false, false, QString());
        } else if (action.startsWith(QLatin1String("restore o"))) {
            ok = page.writeData(12, true, false, action.endsWith(QLatin1String("on")) ? "1" : "0");
        } else if (action == QLatin1String("level")) {
            ok = page.writeData(8, false, false, QString());
            QCOMPARE(registryValue(levelKey, levelName), std::optional<RegValue>({REG_DWORD, dwordData(128)}));
        } else {
            ok = page.writeData(8, true, true, QStringLiteral("77"));
            QCOMPARE(registryValue(levelKey, levelName), std::optional<RegValue>({REG_DWORD, dwordData(255)}));
        }
        QVERIFY(ok);
        QCOMPARE(postedToHelper(), posted);
        const QStringList starts = m->logged(QStringLiteral("Start")).mid(before);
        QCOMPARE(starts.size(), started.size());
        for (int i = 0; i < starts.size(); ++i)
            QVERIFY2(starts.at(i).endsWith(started.at(i)), qPrintable(starts.at(i)));
        QCOMPARE(registryValue(runKey, QStringLiteral("TransparentTaskbar")).has_value(), runValue);
        if (runValue)
            QCOMPARE(registryValue(runKey, QStringLiteral("TransparentTaskbar"))->data,
                     registrystore::stringData(helperRunValue()));
        QCOMPARE(taskbarAlpha(), qint64(alpha));
        QCOMPARE(registryValue(root + QStringLiteral("\\Glasspan"), QStringLiteral("Enabled")),
                 std::optional<RegValue>({REG_DWORD, dwordData(enabled)}));
        QVERIFY(!restartExplorerPending);
    }

    void aReloadAfterSwitchingShowsWhatWasAsked()
    {
        // The helper started by the page has no window yet: the page still shows transparency on.
        TransparentTaskbarForm page;
        showValue(&page, settingCase(12), 1);
        QVERIFY(page.writeData(12, false, false, QString()));
        page.loadSetting();
        QCOMPARE(child<QComboBox>(&page, "GlasspanComboBox")->currentIndex(), 1);
        QVERIFY(child<QSlider>(&page, "GlasspanHorizontalSlider")->isEnabled());
    }

    void numberFields_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("desc");
        const QString thumb = QStringLiteral("Set Amount of time before displaying a thumbnail preview to ");
        const QString level = QStringLiteral("Set taskbar transparency level to ");
        QTest::newRow("thumbnail 50000") << 10 << "50000" << 40000 << thumb + "40000 milliseconds.";
        QTest::newRow("thumbnail -5") << 10 << "-5" << 0 << thumb + "0 milliseconds.";
        QTest::newRow("thumbnail abc") << 10 << "abc" << 0 << thumb + "0 milliseconds.";
        QTest::newRow("thumbnail 400") << 10 << "400" << 400 << thumb + "400 milliseconds (default).";
        QTest::newRow("level 300") << 8 << "300" << 255 << level + "255 (default).";
        QTest::newRow("level abc") << 8 << "abc" << 0 << level + "0.";
    }
    void numberFields()
    {
        QFETCH(int, id);
        QFETCH(QString, typed);
        QFETCH(int, value);
        QFETCH(QString, desc);
        const SettingCase &c = settingCase(id);
        storeShown(c, 1000 % (c.id == 8 ? 256 : 40001));
        std::unique_ptr<SettingPage> page(c.create());
        QSignalSpy spy(page.get(), &SettingPage::settingChanged);
        auto *field = child<QLineEdit>(page.get(), c.id == 8 ? "GlasspanLineEdit" : "TaskbarThumbnailPreviewsLineEdit");
        field->setText(typed);
        QCOMPARE(shownValue(page.get(), c), value);
        QCOMPARE(field->text(), QString::number(value));
        QCOMPARE(spy.last().at(1).toString(), desc);
    }

    void pagesExistOnTheirSystems_data()
    {
        QTest::addColumn<bool>("windows11");
        QTest::addColumn<bool>("plus");
        QTest::addColumn<QStringList>("built");
        QTest::addColumn<QStringList>("placed");
        const QStringList common = {"AppSwitchBehaviourForm", "TaskbarThumbnailPreviewsForm", "TwoRowsNotifAreaForm",
                                    "SecondInClockForm"};
        const QStringList eleven = {"TaskbarSizeForm", "TaskbarAlignmentForm", "TaskbarItemsForm",
                                    "TaskbarPositionForm"};
        const QStringList basic = {"TransparentTaskbarForm", "UngroupTaskbarIconsForm"};
        QTest::newRow("Windows 11, plus") << true << true << eleven + common << eleven + common;
        QTest::newRow("Windows 10, plus") << false << true << QStringList{"TaskbarPositionForm"} + common
                                          << QStringList{"TaskbarPositionForm"} + common;
        QTest::newRow("Windows 11, basic: ungrouping built, not shown")
            << true << false << eleven + basic + common << eleven + QStringList{"TransparentTaskbarForm"} + common;
        QTest::newRow("Windows 10, basic") << false << false << QStringList{"TaskbarPositionForm"} + basic + common
                                           << QStringList{"TaskbarPositionForm"} + basic + common;
    }
    void pagesExistOnTheirSystems()
    {
        QFETCH(bool, windows11);
        QFETCH(bool, plus);
        QFETCH(QStringList, built);
        QFETCH(QStringList, placed);
        PageEnvironment e;
        e.windows11 = windows11;
        e.buildNumber = windows11 ? 22621 : 19045;
        e.plusEdition = plus;
        QMap<int, PageRow> byPosition;
        for (const PageRow &r : pageTable())
            if (r.tab == CatalogueTab::Taskbar)
                byPosition.insert(r.position, r);
        QStringList isBuilt, isPlaced;
        for (const PageRow &r : std::as_const(byPosition)) {
            if (!r.built(e))
                continue;
            isBuilt << QLatin1String(r.meta->className());
            if (r.placed(e))
                isPlaced << QLatin1String(r.meta->className());
        }
        QCOMPARE(isBuilt, built);
        QCOMPARE(isPlaced, placed);
    }

    void saveAndRestoreOfTheWholeTabGivesTheRegistryBack_data()
    {
        QTest::addColumn<QString>("state");
        QTest::newRow("as seeded") << "seeded";
        QTest::newRow("every value absent") << "absent";
        QTest::newRow("values without a choice") << "outside";
    }
    void saveAndRestoreOfTheWholeTabGivesTheRegistryBack()
    {
        QFETCH(QString, state);
        QList<const SettingCase *> tab;
        for (const SettingCase &c : settingCases())
            if (c.id < 100)
                tab << &c;
        for (const SettingCase *c : std::as_const(tab)) {
            if (state == QLatin1String("absent") && absentIsMissing(*c))
                makeAbsent(*c);
            if (state == QLatin1String("outside") && c->encoding == Encoding::Dword && c->control == Control::Combo)
                storeShown(*c, 7);
        }
        if (state == QLatin1String("outside"))
            setBlob(patched(patched(stuckRectsBlob(), 12, 9), 44, 2));
        auto snapshot = [&tab] {
            QMap<QString, std::optional<RegValue>> out;
            // The helper's switch absent is off, the same as 0.
            for (const SettingCase *c : std::as_const(tab))
                out.insert(fullKey(*c) + QLatin1Char('|') + QLatin1String(c->value),
                           c->encoding == Encoding::HelperSwitch ? storedValue(*c)
                                                                 : registryValue(fullKey(*c), QLatin1String(c->value)));
            return out;
        };
        const auto before = snapshot();

        // Every setting changed, and the change recorded as the catalogue records it.
        QMap<int, QList<QVariant>> last;
        std::vector<std::unique_ptr<SettingPage>> pages;
        QMap<int, SettingPage *> pageOf;
        for (const SettingCase *c : std::as_const(tab)) {
            SettingPage *&page = pageOf[c->id];
            const std::unique_ptr<SettingPage> probe(c->create());
            for (const auto &built : pages)
                if (built->metaObject() == probe->metaObject())
                    page = built.get();
            if (!page) {
                pages.emplace_back(c->create());
                page = pages.back().get();
                connect(
                    page, &SettingPage::settingChanged, this,
                    [&last](int index, QString desc, QString location, QString oldValue, bool isDefault,
                            QString oldDesc) { last[index] = {index, desc, location, oldValue, isDefault, oldDesc}; });
            }
            const int now = shownValue(page, *c);
            showValue(page, *c, now == c->otherShown ? c->defaultShown : c->otherShown);
        }
        QCOMPARE(last.keys().size(), tab.size());
        for (const SettingCase *c : std::as_const(tab))
            QVERIFY2(pageOf[c->id]->writeSetting(c->id, false, false, QString()), qPrintable(QString::number(c->id)));
        QVERIFY(snapshot() != before);

        for (const SettingCase *c : std::as_const(tab)) {
            const QList<QVariant> &e = last[c->id];
            pageOf[c->id]->writeSetting(c->id, true, e.at(4).toBool(), e.at(3).toString());
        }
        auto after = snapshot();
        // An absent transparency level was the opaque one: the restore writes it rather than deleting.
        const SettingCase &level = settingCase(8);
        const QString levelKey = fullKey(level) + QLatin1Char('|') + QLatin1String(level.value);
        if (!before.value(levelKey)) {
            QCOMPARE(after.value(levelKey), encodedShown(level, 255));
            after.insert(levelKey, std::nullopt);
        }
        for (const QString &key : before.keys())
            QVERIFY2(after.value(key) == before.value(key), qPrintable(key));
    }
};

QTEST_MAIN(TestTaskbarPages)
#include "tst_taskbarpages.moc"
