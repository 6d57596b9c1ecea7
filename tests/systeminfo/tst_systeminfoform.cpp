// The System Information page: what is filled when, and its buttons.
#include "systeminfoform.h"
#include "testmachine.h"
#include "win32.h"

#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

class TestSystemInfoForm : public QObject
{
    Q_OBJECT

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void onlyWindowsTabAtStart()
    {
        SystemInfoForm form;
        auto *windows = form.findChild<QTreeView *>("windowsTreeView");
        QVERIFY(windows->model());
        QCOMPARE(windows->model()->rowCount(), 10);
        QCOMPARE(windows->model()->index(1, 1).data().toString(), QStringLiteral("64 bit system"));
        QCOMPARE(windows->model()->index(0, 1).data().toString(), QStringLiteral(" Windows 11 Pro"));
        QCOMPARE(windows->model()->index(3, 1).data().toString(), QStringLiteral(" (22631)"));
        for (const char *name : {"specialFoldersTreeView", "environmentVarsTreeView", "startupItemsTreeView",
                                 "taskSchedulerTreeView", "codecTreeView"})
            QVERIFY2(!form.findChild<QTreeView *>(name)->model(), name);
    }

    void eachTabFilledOnce_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("view");
        QTest::newRow("special folders") << 1 << "specialFoldersTreeView";
        QTest::newRow("environment") << 2 << "environmentVarsTreeView";
        QTest::newRow("startup") << 3 << "startupItemsTreeView";
        QTest::newRow("tasks") << 4 << "taskSchedulerTreeView";
        QTest::newRow("codecs") << 5 << "codecTreeView";
    }
    void eachTabFilledOnce()
    {
        QFETCH(int, tab);
        QFETCH(QString, view);
        SystemInfoForm form;
        auto *tabs = form.findChild<QTabWidget *>("tabWidget");
        tabs->setCurrentIndex(tab);
        QAbstractItemModel *model = form.findChild<QTreeView *>(view)->model();
        QVERIFY(model);
        const int rows = model->rowCount();
        QVERIFY(rows > 0);
        // What changes on the machine afterwards is not shown: the tab is never filled again.
        HKEY h = nullptr;
        for (const WCHAR *key : {WSTR("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"), WSTR("Environment")}) {
            RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr);
            RegSetValueExW(h, WSTR("Late"), 0, REG_SZ, reinterpret_cast<const BYTE *>(u"C:\\late.exe"), 24);
            RegCloseKey(h);
        }
        tabs->setCurrentIndex(0);
        tabs->setCurrentIndex(tab);
        QCOMPARE(form.findChild<QTreeView *>(view)->model(), model);
        QCOMPARE(model->rowCount(), rows);
    }

    // The environment tab shows the machine's variables, not the host's.
    void environmentTabShowsMachine()
    {
        qputenv("HUSHDECK_HOST_ONLY", "1");
        SystemInfoForm form;
        form.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(2);
        QAbstractItemModel *model = form.findChild<QTreeView *>("environmentVarsTreeView")->model();
        QStringList names;
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->index(row, 0).data().toString();
        qunsetenv("HUSHDECK_HOST_ONLY");
        for (const char *name : {"ComSpec", "OS", "PATHEXT", "PROCESSOR_ARCHITECTURE", "USERPROFILE", "windir"})
            QVERIFY2(names.contains(QLatin1String(name)), name);
        for (const char *name : {"HOME", "HUSHDECK_HOST_ONLY", "PWD", "SHELL"})
            QVERIFY2(!names.contains(QLatin1String(name)), name);
    }

    void startupIconColumnHidden()
    {
        SystemInfoForm form;
        form.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(3);
        auto *view = form.findChild<QTreeView *>("startupItemsTreeView");
        QCOMPARE(view->model()->columnCount(), 3);
        QVERIFY(view->isColumnHidden(2));
        QVERIFY(!view->isColumnHidden(1));
    }

    void explorerButton()
    {
        SystemInfoForm form;
        form.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(1);
        auto *view = form.findChild<QTreeView *>("specialFoldersTreeView");
        auto *button = form.findChild<QToolButton *>("sfExplorerButton");
        QVERIFY(!button->isEnabled());
        const QModelIndex row = view->model()->index(2, 0);
        view->setCurrentIndex(row);
        QMetaObject::invokeMethod(&form, "on_specialFoldersTreeView_clicked", Q_ARG(QModelIndex, row));
        QVERIFY(button->isEnabled());
        button->click();
        const QStringList started = m->logged("Start");
        QVERIFY(!started.isEmpty());
        QVERIFY2(started.last().contains(view->model()->index(2, 1).data().toString()), qPrintable(started.last()));
        view->setCurrentIndex(QModelIndex());
        QMetaObject::invokeMethod(&form, "on_specialFoldersTreeView_clicked", Q_ARG(QModelIndex, QModelIndex()));
        QVERIFY(!button->isEnabled());
    }

    void toolButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("started");
        QTest::newRow("startup apps") << "startupAppSettingsButton"
                                      << "explorer|ms-settings:startupapps";
        QTest::newRow("task scheduler") << "tsTaskSchedulerButton"
                                        << "<system>\\taskschd.msc|/s";
    }
    void toolButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, started);
        WCHAR system[MAX_PATH];
        QVERIFY(GetSystemDirectoryW(system, MAX_PATH) > 0);
        started.replace("<system>", fromWide(system));
        SystemInfoForm form;
        form.findChild<QToolButton *>(button)->click();
        QCOMPARE(m->logged("Start"), QStringList{started});
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestSystemInfoForm)
#include "tst_systeminfoform.moc"
