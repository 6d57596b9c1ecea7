// The window's first size and its side panel, on a screen larger than the window wants: the first window shows
// the whole home page, and the side panel keeps every button whole and the selected one in view.
#include "homeform.h"
#include "mainwindow.h"
#include "testmachine.h"

#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QToolButton>
#include <QtTest>

class TestFirstWindow : public QObject
{
    Q_OBJECT

private:
    static QScrollArea *sidePanel(MainWindow &w) { return w.findChild<QScrollArea *>(QStringLiteral("scrollArea")); }
    static bool inView(QScrollArea *area, QWidget *child)
    {
        const QRect r(child->mapTo(area->viewport(), QPoint(0, 0)), child->size());
        return area->viewport()->rect().contains(r);
    }

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void firstWindowShowsWholeHomePage()
    {
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QSize free = w.screen()->availableGeometry().size();
        QVERIFY(w.width() >= 986 && w.height() >= 513);
        QVERIFY(w.width() < free.width() && w.height() < free.height());

        auto *home = qobject_cast<HomeForm *>(w.modulePage(MainWindow::HomePage));
        auto *cards = home->findChild<QScrollArea *>(QStringLiteral("scrollArea"));
        QCOMPARE(cards->verticalScrollBar()->maximum(), 0);
        QCOMPARE(cards->horizontalScrollBar()->maximum(), 0);
        QVERIFY(cards->viewport()->width() >= cards->widget()->sizeHint().width());
        QVERIFY(cards->viewport()->height() >= cards->widget()->sizeHint().height());
        int titles = 0;
        for (QLabel *label : home->findChildren<QLabel *>()) {
            if (!label->objectName().endsWith(QLatin1String("Title")))
                continue;
            ++titles;
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
            QVERIFY2(label->geometry().right() < label->parentWidget()->width(), qPrintable(label->text()));
        }
        QCOMPARE(titles, 13);
    }

    void sidePanelShowsSelected_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("fromHome");
        for (const QSize size : {QSize(986, 513), QSize(1024, 640), QSize(1400, 900)}) {
            const QByteArray name = QByteArray::number(size.width()) + 'x' + QByteArray::number(size.height());
            QTest::newRow(name + " side button") << size << false;
            QTest::newRow(name + " home card") << size << true;
        }
    }

    // The catalogue's button is the last of the panel: selected from the panel or from its home card, it is
    // scrolled into view, and so is the first one selected after it.
    void sidePanelShowsSelected()
    {
        QFETCH(QSize, size);
        QFETCH(bool, fromHome);
        MainWindow w;
        w.resize(size);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QScrollArea *panel = sidePanel(w);
        auto *last = w.findChild<QToolButton *>(QStringLiteral("hushdeckButton"));
        auto *first = w.findChild<QToolButton *>(QStringLiteral("HomeButton"));

        for (QToolButton *b : panel->widget()->findChildren<QToolButton *>()) {
            if (b->isHidden())
                continue;
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
            QVERIFY2(b->mapTo(panel->viewport(), QPoint(b->width(), 0)).x() <= panel->viewport()->width(),
                     qPrintable(b->text()));
        }
        QCOMPARE(panel->horizontalScrollBar()->maximum(), 0);

        if (fromHome)
            w.onOpenModule(9);
        else
            last->click();
        QApplication::processEvents();
        QVERIFY(last->isChecked());
        QVERIFY(inView(panel, last));
        first->click();
        QApplication::processEvents();
        QVERIFY(inView(panel, first));

        // Made lower, the window keeps the selected button in view.
        last->click();
        w.resize(size.width(), 400);
        QApplication::processEvents();
        QVERIFY(panel->verticalScrollBar()->maximum() > 0);
        QVERIFY(inView(panel, last));
    }

private:
    std::unique_ptr<TestMachine> m;
};

int main(int argc, char *argv[])
{
    // A screen larger than every window size tried here, so the window's own choice of size shows.
    QTemporaryFile screens;
    if (!screens.open())
        return 1;
    screens.write(R"({"screens": [{"name": "wide", "x": 0, "y": 0, "width": 1920, "height": 1080,
                      "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screens.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    TestFirstWindow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_firstwindow.moc"
