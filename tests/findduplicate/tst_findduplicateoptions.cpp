// The options dialog and the custom file type dialog: their texts, the tree of categories, what Save writes
// to the registry (and what it does when the key cannot be written), that Close, Escape and the title-bar box
// change nothing, and the custom list's way from the dialog to the page's next scan.
#include "customfiletypedialog.h"
#include "fdtestutil.h"
#include "findduplicateform.h"
#include "findduplicateoptionsdialog.h"
#include "testmachine.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

using namespace fdtest;

namespace {

const QString key = QStringLiteral("Software\\Keelrun\\Folder Size Analyzer\\Find Duplicate");

// The stored value: its type and bytes; type 0 when absent.
QPair<DWORD, QByteArray> stored(const QString &name)
{
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wstr(key), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return {0, {}};
    DWORD type = 0, size = 0;
    QByteArray bytes;
    if (RegQueryValueExW(k, wstr(name), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        bytes.resize(int(size));
        RegQueryValueExW(k, wstr(name), nullptr, &type, reinterpret_cast<BYTE *>(bytes.data()), &size);
    } else {
        type = 0;
    }
    RegCloseKey(k);
    return {type, bytes};
}

QByteArray dword(DWORD v)
{
    return QByteArray(reinterpret_cast<const char *>(&v), 4);
}

// Runs action on the next modal dialog of type T once it is shown.
template <typename T> void whenModal(std::function<void(T *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto *d = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(d);
        }
    });
    timer->start();
}

QTreeWidget *treeOf(QWidget *d)
{
    return d->findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
}

QPushButton *buttonOf(QWidget *d, const char *name)
{
    return d->findChild<QPushButton *>(QLatin1String(name));
}

} // namespace

class TestFindDuplicateOptions : public QObject
{
    Q_OBJECT

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void dialogs()
    {
        FindDuplicateOptionsDialog options;
        QCOMPARE(options.size(), QSize(523, 474));
        QCOMPARE(options.windowTitle(), QStringLiteral("Options"));
        QCOMPARE(buttonOf(&options, "addButton")->text(), QStringLiteral("Custom File Type"));
        QCOMPARE(buttonOf(&options, "addButton")->size(), QSize(110, 24));
        QCOMPARE(buttonOf(&options, "saveButton")->text(), QStringLiteral("Save"));
        QCOMPARE(buttonOf(&options, "closeButton")->text(), QStringLiteral("Close"));
        QCOMPARE(buttonOf(&options, "saveButton")->minimumSize(), QSize(75, 24));
        QCOMPARE(treeOf(&options)->columnCount(), 1);
        QCOMPARE(treeOf(&options)->headerItem()->text(0), QStringLiteral("File Extension"));

        QVERIFY(KRUtils().writeRegString(HKEY_CURRENT_USER, key, QStringLiteral("CustomFileType"), ".ico, .py"));
        CustomFileTypeDialog custom;
        QCOMPARE(custom.size(), QSize(668, 203));
        QCOMPARE(custom.windowTitle(), QStringLiteral("Dialog"));
        QCOMPARE(custom.findChild<QLabel *>(QStringLiteral("descLabel"))->text(), QStringLiteral("Description:"));
        auto *desc = custom.findChild<QLineEdit *>(QStringLiteral("descLineEdit"));
        QCOMPARE(desc->text(), QStringLiteral("Custom File Type"));
        QVERIFY(!desc->isEnabled());
        QCOMPARE(custom.findChild<QLabel *>(QStringLiteral("noteLabel1"))->text(),
                 QStringLiteral("Enter list of file types you want to be included during the scanning process.  "
                                "Enter a comma after each file type."));
        QVERIFY(custom.findChild<QLabel *>(QStringLiteral("noteLabel1"))->wordWrap());
        QCOMPARE(custom.findChild<QLabel *>(QStringLiteral("noteLabel2"))->text(), QStringLiteral("Example: .ico,.py"));
        QCOMPARE(custom.findChild<QLineEdit *>(QStringLiteral("lineEdit"))->text(), QStringLiteral(".ico, .py"));
        QCOMPARE(buttonOf(&custom, "saveButton")->minimumSize(), QSize(75, 24));
    }

    void tree_data()
    {
        QTest::addColumn<QStringList>("custom");
        QTest::addColumn<QString>("customText");
        QTest::newRow("empty custom list") << QStringList{QString()} << "Custom file types ()";
        QTest::newRow("two") << QStringList{".ico", " .py"} << "Custom file types (.ico,  .py)";
    }

    void tree()
    {
        QFETCH(QStringList, custom);
        QFETCH(QString, customText);
        QList<FileCategory> categories = pageCategories(custom);
        categories[2].enabled = false;
        FindDuplicateOptionsDialog d;
        d.categories = &categories;
        d.fillTree();
        d.fillTree(); // a second fill replaces, never adds
        QTreeWidget *t = treeOf(&d);
        QCOMPARE(t->topLevelItemCount(), 13);
        QCOMPARE(t->topLevelItem(0)->text(0), QStringLiteral("3D Image Files (.3dm, .blend, .max)"));
        QCOMPARE(t->topLevelItem(12)->text(0), customText);
        for (int i = 0; i < 13; ++i)
            QCOMPARE(t->topLevelItem(i)->checkState(0), i == 2 ? Qt::Unchecked : Qt::Checked);
        QVERIFY(!t->topLevelItem(1)->icon(0).isNull());
        QVERIFY(t->topLevelItem(12)->icon(0).isNull());
    }

    void save_data()
    {
        QTest::addColumn<QList<int>>("unticked");
        QTest::addColumn<bool>("writable");
        QTest::newRow("audio off") << QList<int>{1} << true;
        QTest::newRow("all on") << QList<int>() << true;
        QTest::newRow("several off") << QList<int>{0, 8, 12} << true;
        QTest::newRow("key not writable") << QList<int>{1} << false;
    }

    void save()
    {
        QFETCH(QList<int>, unticked);
        QFETCH(bool, writable);
        if (!writable)
            m->denyKey(QStringLiteral("HKEY_CURRENT_USER\\") + key, false, true);
        QList<FileCategory> categories = pageCategories();
        QPointer<FindDuplicateOptionsDialog> d = new FindDuplicateOptionsDialog;
        QSignalSpy changed(d.data(), SIGNAL(optionsChanged()));
        d->categories = &categories;
        d->fillTree();
        for (int i : unticked)
            treeOf(d)->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
        buttonOf(d, "saveButton")->click();
        QCOMPARE(changed.size(), 1);
        for (int i = 0; i < 13; ++i) {
            QCOMPARE(categories.at(i).enabled, !unticked.contains(i));
            const auto value = stored(QString::number(i));
            if (writable) {
                QCOMPARE(value.first, DWORD(REG_DWORD));
                QCOMPARE(value.second, dword(unticked.contains(i) ? 0 : 1));
            } else {
                QCOMPARE(value.first, DWORD(0));
            }
        }
        QTRY_VERIFY(d.isNull()); // Save ends the dialog
    }

    void closingChangesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Close") << "Close";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("title-bar box") << "box";
    }

    void closingChangesNothing()
    {
        QFETCH(QString, how);
        auto close = [how](QDialog *d) {
            if (how == QLatin1String("Close"))
                buttonOf(d, "closeButton")->click();
            else if (how == QLatin1String("Escape"))
                QTest::keyClick(d, Qt::Key_Escape);
            else
                d->close();
        };
        FindDuplicateForm page;
        // Options: a tick taken away, then closed.
        whenModal<FindDuplicateOptionsDialog>([&](FindDuplicateOptionsDialog *d) {
            treeOf(d)->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
            close(d);
        });
        page.findChild<QToolButton *>(QStringLiteral("optionsButton"))->click();
        QVERIFY(page.categories.at(1).enabled);
        QCOMPARE(page.scanCategories.size(), 13);
        QVERIFY(!KRUtils().regKeyExists(HKEY_CURRENT_USER, key));
        QTRY_VERIFY(page.findChildren<FindDuplicateOptionsDialog *>().isEmpty());

        // Custom list: typed, then closed.
        whenModal<FindDuplicateOptionsDialog>([&](FindDuplicateOptionsDialog *d) {
            whenModal<CustomFileTypeDialog>([&](CustomFileTypeDialog *c) {
                c->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(QStringLiteral(".xyz"));
                close(c);
            });
            buttonOf(d, "addButton")->click();
            QVERIFY(d->findChildren<CustomFileTypeDialog *>().isEmpty() ||
                    d->findChildren<CustomFileTypeDialog *>().first()->isHidden());
            buttonOf(d, "closeButton")->click();
        });
        page.findChild<QToolButton *>(QStringLiteral("optionsButton"))->click();
        QCOMPARE(page.categories.last().extensions, QStringList{QString()});
        QVERIFY(!KRUtils().regKeyExists(HKEY_CURRENT_USER, key));
        QTRY_VERIFY(page.findChildren<QDialog *>().isEmpty());
    }

    void customListReachesTheNextScan()
    {
        QTemporaryDir dir;
        QVERIFY(makeFile(dir.path() + QStringLiteral("/a.ICO"), 4, baseTime()));
        QVERIFY(makeFile(dir.path() + QStringLiteral("/b.ico"), 4, baseTime()));
        FindDuplicateForm page;
        QString treeAfterSave;
        Qt::CheckState audioAfterSave = Qt::Unchecked;
        whenModal<FindDuplicateOptionsDialog>([&](FindDuplicateOptionsDialog *d) {
            // A tick changed but not saved is dropped when the custom list is saved.
            treeOf(d)->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
            whenModal<CustomFileTypeDialog>([&](CustomFileTypeDialog *c) {
                c->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(QStringLiteral(".ico, .py"));
                buttonOf(c, "saveButton")->click();
            });
            buttonOf(d, "addButton")->click();
            treeAfterSave = treeOf(d)->topLevelItem(12)->text(0);
            audioAfterSave = treeOf(d)->topLevelItem(1)->checkState(0);
            buttonOf(d, "closeButton")->click();
        });
        page.findChild<QToolButton *>(QStringLiteral("optionsButton"))->click();

        QCOMPARE(treeAfterSave, QStringLiteral("Custom file types (.ico,  .py)"));
        QCOMPARE(audioAfterSave, Qt::Checked);
        const auto value = stored(QStringLiteral("CustomFileType"));
        QCOMPARE(value.first, DWORD(REG_SZ));
        QCOMPARE(value.second.size(), (9 + 1) * 2);
        QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t *>(value.second.constData())),
                 QStringLiteral(".ico, .py"));
        QCOMPARE(page.categories.last().extensions, (QStringList{".ico", " .py"}));
        QCOMPARE(page.scanCategories.last().extensions, (QStringList{".ico", " .py"}));
        QVERIFY(page.categories.at(1).enabled);
        QCOMPARE(stored(QStringLiteral("1")).first, DWORD(0));

        // Typed in capitals or not, .ico files now group under the custom category.
        page.on_AddURL(dir.path());
        QVERIFY(QTest::qWaitFor([&] { return !page.busy; }, 20000));
        QCOMPARE(page.categoryResults.last().groups.size(), 1);
        QCOMPARE(page.categoryResults.last().groups.first().files.size(), 2);
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestFindDuplicateOptions)
#include "tst_findduplicateoptions.moc"
