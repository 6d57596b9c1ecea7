// A page and the real helper: the Transparent Taskbar page starts the helper with its level, hands it a new
// one, and closes it when switched off, all read back from the machine the helper changes. The catalogue's
// transparency page drives the same helper and shares that page's state, through a logon too.
#include "glasspanmessages.h"
#include "editionnames.h"
#include "helperharness.h"
#include "krutils.h"
#include "testmachine.h"
#include "taskbar/transparenttaskbarform.h"
#include "transparenttaskbarmoduleform.h"
#include "win32.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {

HWND helperWindow()
{
    return FindWindowW(GLASSPAN_WINDOW_CLASS, GLASSPAN_WINDOW_TITLE);
}

// Closes a running helper and waits until it is gone.
bool closeHelper()
{
    HWND helper = helperWindow();
    if (!helper)
        return true;
    PostMessageW(helper, WM_CLOSE, 0, 0);
    return QTest::qWaitFor([] { return !helperWindow(); }, 15000);
}

// Closes the helper a test left running before its machine goes, also after a failed check.
struct HelperClosedAtEnd
{
    ~HelperClosedAtEnd() { closeHelper(); }
};

// A new logon: the helper and Explorer end, Explorer brings up a new, opaque taskbar, and whatever the Run
// value names is started.
bool logon()
{
    if (!closeHelper())
        return false;
    harness::endExplorer();
    harness::startExplorer();
    QString run;
    if (KRUtils().readRegString(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                                QStringLiteral("TransparentTaskbar"), run)) {
        run.remove(QLatin1Char('"'));
        ShellExecuteW(nullptr, WSTR("open"), wstr(run), nullptr, nullptr, SW_HIDE);
        return QTest::qWaitFor([] { return helperWindow() != nullptr; }, 15000);
    }
    return true;
}

} // namespace

class TestAutomationHelper : public QObject
{
    Q_OBJECT

private slots:
    void taskbarPageDrivesHelper()
    {
        TestMachine m;
        const QString root = QStringLiteral(TEST_EDITION_ROOT);
        KRUtils().writeRegString(HKEY_CURRENT_USER, root, QStringLiteral("Path"), QStringLiteral("C:\\Hushdeck"));
        QVERIFY(!FindWindowW(GLASSPAN_WINDOW_CLASS, GLASSPAN_WINDOW_TITLE));

        TransparentTaskbarModuleForm page;
        auto *combo = page.findChild<QComboBox *>(QStringLiteral("GlasspanComboBox"));
        auto *level = page.findChild<QLineEdit *>(QStringLiteral("GlasspanLineEdit"));
        combo->setCurrentIndex(1);
        level->setText(QStringLiteral("60"));
        page.saveAction->trigger();
        QCOMPARE(m.logged(QStringLiteral("Start")), QStringList{QStringLiteral("C:\\Hushdeck\\Glasspan.exe|60")});
        // The helper starts, reads what the page wrote and makes the taskbar translucent.
        QTRY_VERIFY_WITH_TIMEOUT(FindWindowW(GLASSPAN_WINDOW_CLASS, GLASSPAN_WINDOW_TITLE), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(harness::taskbarAlpha(), 60, 10000);

        // Running: the new level goes over by message, no second start.
        level->setText(QStringLiteral("150"));
        page.saveAction->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(harness::taskbarAlpha(), 150, 10000);
        QCOMPARE(m.logged(QStringLiteral("Start")).size(), 1);

        // Off with nothing else enabled: opaque at once, and the helper is asked to quit.
        combo->setCurrentIndex(0);
        page.saveAction->trigger();
        QCOMPARE(harness::taskbarAlpha(), 255);
        QTRY_VERIFY_WITH_TIMEOUT(!FindWindowW(GLASSPAN_WINDOW_CLASS, GLASSPAN_WINDOW_TITLE), 15000);
        QCOMPARE(harness::taskbarAlpha(), 255);
        QCOMPARE(harness::dword(root + QStringLiteral("\\Glasspan"), QStringLiteral("TransparentLevel")), 150);
    }

    void catalogueTransparencyThroughALogon_data()
    {
        QTest::addColumn<bool>("moduleOn"); // the module page switched transparency on first
        QTest::addColumn<int>("choice");    // then the catalogue page's choice, applied
        QTest::addColumn<int>("alpha");     // the taskbar after the apply, and after a logon
        QTest::newRow("enable with no helper") << false << 1 << 90;
        QTest::newRow("disable with the module's state on") << true << 0 << 255;
    }
    void catalogueTransparencyThroughALogon()
    {
        QFETCH(bool, moduleOn);
        QFETCH(int, choice);
        QFETCH(int, alpha);
        TestMachine m;
        HelperClosedAtEnd closeHelper;
        const QString root = QStringLiteral(TEST_EDITION_ROOT);
        KRUtils().writeRegString(HKEY_CURRENT_USER, root, QStringLiteral("Path"), QStringLiteral("C:\\Hushdeck"));
        if (moduleOn) {
            TransparentTaskbarModuleForm module;
            module.findChild<QComboBox *>(QStringLiteral("GlasspanComboBox"))->setCurrentIndex(1);
            module.findChild<QLineEdit *>(QStringLiteral("GlasspanLineEdit"))->setText(QStringLiteral("70"));
            module.saveAction->trigger();
            QTRY_COMPARE_WITH_TIMEOUT(harness::taskbarAlpha(), 70, 15000);
        }

        TransparentTaskbarForm page;
        auto *combo = page.findChild<QComboBox *>(QStringLiteral("GlasspanComboBox"));
        QCOMPARE(combo->currentIndex(), moduleOn ? 1 : 0);
        combo->setCurrentIndex(choice);
        page.findChild<QLineEdit *>(QStringLiteral("GlasspanLineEdit"))->setText(QString::number(alpha));
        QVERIFY(page.writeData(12, false, false, QString()));
        QTRY_COMPARE_WITH_TIMEOUT(harness::taskbarAlpha(), alpha, 15000);
        // Off with nothing else needing it: the helper ends and does not come back at logon.
        QTRY_COMPARE_WITH_TIMEOUT(helperWindow() != nullptr, choice != 0, 15000);

        QVERIFY(logon());
        QTRY_COMPARE_WITH_TIMEOUT(harness::taskbarAlpha(), alpha, 15000);
        QCOMPARE(helperWindow() != nullptr, choice != 0);
        // The module page shows what the catalogue page chose.
        TransparentTaskbarModuleForm module;
        QCOMPARE(module.findChild<QComboBox *>(QStringLiteral("GlasspanComboBox"))->currentIndex(), choice);
    }
};

QTEST_MAIN(TestAutomationHelper)
#include "tst_automationhelper.moc"
