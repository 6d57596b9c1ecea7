// The page pieces that no page of these tabs uses in full yet: a combo whose choices stand for values
// other than their positions, with more than two choices, and the text setting.
#include "choicesetting.h"
#include "krutils.h"
#include "settingpage.h"
#include "testmachine.h"
#include "textsetting.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString key = QStringLiteral("Software\\Pieces");

} // namespace

class PiecesPage : public SettingPage
{
    Q_OBJECT

public:
    PiecesPage()
        : SettingPage(QStringLiteral("OEM Info"), QStringLiteral("Model Owner"), nullptr),
          mode(this, 1, registryDword(HKEY_CURRENT_USER, key, QStringLiteral("Mode")), 20,
               {{QStringLiteral("Low"), QStringLiteral("Low.")},
                {QStringLiteral("Middle (default)"), QStringLiteral("Middle (default).")},
                {QStringLiteral("High"), QStringLiteral("High.")}},
               1),
          owner(this, 2, registryString(HKEY_CURRENT_USER, key, QStringLiteral("Owner")),
                QStringLiteral("Set the registered owner to \""))
    {
        combo = new QComboBox(this);
        edit = new QLineEdit(this);
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { mode.report(); });
        connect(edit, &QLineEdit::textChanged, this, [this] { owner.report(); });
        mode.setValues({10, 20, 30});
        mode.bind(combo);
        owner.bind(edit);
        loadSetting();
    }

    ChoiceSetting mode;
    TextSetting owner;
    QComboBox *combo;
    QLineEdit *edit;
};

class TestSettingPieces : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;
    KRUtils u;

    DWORD mode()
    {
        DWORD v = 0xdead;
        u.readRegDWORD(HKEY_CURRENT_USER, key, QStringLiteral("Mode"), &v);
        return v;
    }

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void choicesWithTheirOwnValues_data()
    {
        QTest::addColumn<int>("stored"); // -1: absent
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("oldDesc");
        QTest::newRow("absent shows the preset") << -1 << 1 << "Middle (default).";
        QTest::newRow("10") << 10 << 0 << "Low.";
        QTest::newRow("30") << 30 << 2 << "High.";
        QTest::newRow("no choice") << 25 << -1 << "";
    }
    void choicesWithTheirOwnValues()
    {
        QFETCH(int, stored);
        QFETCH(int, index);
        QFETCH(QString, oldDesc);
        if (stored >= 0)
            u.writeRegDWORD(HKEY_CURRENT_USER, key, QStringLiteral("Mode"), DWORD(stored));
        PiecesPage page;
        QCOMPARE(page.combo->currentIndex(), index);
        QCOMPARE(page.mode.missing, stored < 0);
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        page.combo->setCurrentIndex(index == 2 ? 0 : 2);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().at(1).toString(), index == 2 ? QStringLiteral("Low.") : QStringLiteral("High."));
        QCOMPARE(spy.last().at(2).toString(), QStringLiteral("OEM Info"));
        QCOMPARE(spy.last().at(3).toString(), QString::number(stored < 0 ? 20 : stored));
        QCOMPARE(spy.last().at(5).toString(), oldDesc);

        QVERIFY(page.writeSetting(1, false, false, QString()));
        QCOMPARE(mode(), DWORD(index == 2 ? 10 : 30));
        page.combo->setCurrentIndex(-1);
        QVERIFY(!page.writeSetting(1, false, false, QString()));
        QCOMPARE(mode(), DWORD(index == 2 ? 10 : 30));
    }

    void textSetting()
    {
        PiecesPage page;
        QVERIFY(page.owner.missing);
        QCOMPARE(page.edit->text(), QString());
        QSignalSpy spy(&page, &SettingPage::settingChanged);
        page.edit->setText(QStringLiteral("Ada"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().at(0).toInt(), 2);
        QCOMPARE(spy.last().at(1).toString(), QStringLiteral("Set the registered owner to \"Ada\"."));
        QCOMPARE(spy.last().at(3).toString(), QString());
        QVERIFY(spy.last().at(4).toBool());
        QCOMPARE(spy.last().at(5).toString(), QStringLiteral("Set the registered owner to \"\"."));

        QVERIFY(page.writeSetting(2, false, true, QString())); // removeValue alone is ignored
        QString text;
        QVERIFY(u.readRegString(HKEY_CURRENT_USER, key, QStringLiteral("Owner"), text));
        QCOMPARE(text, QStringLiteral("Ada"));
        page.loadSetting();
        QVERIFY(!page.owner.missing);
        QCOMPARE(page.owner.storedValue, QStringLiteral("Ada"));

        // A restore writes the text as recorded, number or not, and deletes it when it was absent.
        QVERIFY(page.writeSetting(2, true, false, QStringLiteral("12 Oak")));
        QVERIFY(u.readRegString(HKEY_CURRENT_USER, key, QStringLiteral("Owner"), text));
        QCOMPARE(text, QStringLiteral("12 Oak"));
        QVERIFY(page.writeSetting(2, true, true, QStringLiteral("12 Oak")));
        QVERIFY(!u.readRegString(HKEY_CURRENT_USER, key, QStringLiteral("Owner"), text));
    }

    void pageOperations()
    {
        PiecesPage page;
        QCOMPARE(page.settingIds(), (QList<int>{1, 2}));
        QVERIFY(page.matchesKeyword(QStringLiteral("model OWNER")));
        QVERIFY(!page.matchesKeyword(QStringLiteral("serial")));
        QVERIFY(!page.writeSetting(3, false, false, QString()));
    }
};

QTEST_MAIN(TestSettingPieces)
#include "tst_settingpieces.moc"
