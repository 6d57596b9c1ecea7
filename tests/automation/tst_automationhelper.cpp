// A page and the real helper: the Transparent Taskbar page starts the helper with its level, hands it a new
// one, and closes it when switched off, all read back from the machine the helper changes.
#include "glasspanmessages.h"
#include "helperharness.h"
#include "krutils.h"
#include "testmachine.h"
#include "transparenttaskbarmoduleform.h"
#include "win32.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

class TestAutomationHelper : public QObject
{
    Q_OBJECT

private slots:
    void taskbarPageDrivesHelper()
    {
        TestMachine m;
        const QString root = QStringLiteral("Software\\Keelrun Hushdeck Plus!");
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
};

QTEST_MAIN(TestAutomationHelper)
#include "tst_automationhelper.moc"
