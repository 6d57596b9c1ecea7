// The OEM Info pages: the note on web addresses and the pictures, typing into a field, what a cleared field and a
// restore write, and the buttons that open the Windows pages that show the information.
#include "settingcases.h"
#include "testmachine.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestOemInfoPages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void notesAndPictures()
    {
        OemInfoForm oem;
        QCOMPARE(oem.objectName(), QStringLiteral("oemInfoForm"));
        const QString note = child<QLabel>(&oem, "SupportURLNoteLabel")->text();
        QVERIFY(note.startsWith(QStringLiteral("*Must be written in full address. For example: https://")));
        QVERIFY(note.endsWith(QStringLiteral("/.")));
        ComputerModelForm model;
        RegisteredOwnerForm owner;
        for (QLabel *picture : {child<QLabel>(&oem, "oemInfoImage"), child<QLabel>(&model, "ComputerModelImage"),
                                child<QLabel>(&owner, "RegisteredOwnerImage")})
            QVERIFY(!picture->pixmap().isNull());
    }

    void typingReportsEveryKeystroke()
    {
        OemInfoForm page;
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        QTest::keyClicks(child<QLineEdit>(&page, "ManufacturerLineEdit"), QStringLiteral("Contoso"));
        QCOMPARE(spy.count(), 7);
        for (const QList<QVariant> &args : std::as_const(spy))
            QCOMPARE(args.at(0).toInt(), 700);
        QCOMPARE(spy.last().at(1).toString(),
                 QStringLiteral("Change the computer manufacturer information to \"Contoso\"."));
        QCOMPARE(spy.last().at(2).toString(), QStringLiteral("OEM Info"));
    }

    void writes_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("before"); // "-" for absent
        QTest::addColumn<bool>("fromStored");
        QTest::addColumn<bool>("removeValue");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("after"); // "-" for absent
        QTest::newRow("cleared field") << 700 << "Acme" << false << false << QString() << "";
        QTest::newRow("restore absent") << 702 << "555" << true << true << "555"
                                        << "-";
        QTest::newRow("restore a number as text") << 704 << "X1" << true << false << "0042"
                                                  << "0042";
        QTest::newRow("restore empty") << 705 << "-" << true << false << QString() << "";
        QTest::newRow("restore absent, already absent") << 706 << "-" << true << true << QString() << "-";
    }
    void writes()
    {
        QFETCH(int, id);
        QFETCH(QString, before);
        QFETCH(bool, fromStored);
        QFETCH(bool, removeValue);
        QFETCH(QString, stored);
        QFETCH(QString, after);
        const SettingCase &c = settingCase(id);
        if (before == QLatin1String("-"))
            makeAbsent(c);
        else
            setRegistryValue(fullKey(c), QLatin1String(c.value), REG_SZ, registrystore::stringData(before));
        std::unique_ptr<SettingPage> page(c.create());
        child<QLineEdit>(page.get(), c.controlName)->clear();
        QVERIFY(page->writeSetting(id, fromStored, removeValue, stored));
        if (after == QLatin1String("-"))
            QVERIFY(!storedValue(c));
        else
            QCOMPARE(storedValue(c), std::optional<RegValue>(RegValue{REG_SZ, registrystore::stringData(after)}));
    }

    void aboutButtonsOpenTheirWindowsPage_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("started");
        QTest::newRow("support information") << 700 << "explorer|ms-settings:about";
        QTest::newRow("computer model") << 704 << "explorer|ms-settings:about";
        QTest::newRow("registered owner") << 705 << "winver.exe";
    }
    void aboutButtonsOpenTheirWindowsPage()
    {
        QFETCH(int, id);
        QFETCH(QString, started);
        std::unique_ptr<SettingPage> page(settingCase(id).create());
        auto *button = child<QPushButton>(page.get(), "openAboutPushButton");
        button->click();
        button->click();
        QCOMPARE(m->logged(QStringLiteral("Start")), QStringList({started, started}));
    }
};

QTEST_MAIN(TestOemInfoPages)
#include "tst_oeminfopages.moc"
