// The About box: its texts and version 3.3, the web link (mouse and keyboard), and that every way of
// closing it frees it, from the main window's toolbar too.
#include "editionnames.h"
#include "aboutdialog.h"
#include "mainwindow.h"
#include "productinfo.h"
#include "testmachine.h"
#include "toolbarrun.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// Receives what the dialog would open in the browser.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

class TestAboutDialog : public QObject
{
    Q_OBJECT

private:
    static QLabel *label(QWidget *d, const char *name) { return d->findChild<QLabel *>(QLatin1String(name)); }

private slots:
    void init() { m.reset(new TestMachine); }
    void cleanup() { m.reset(); }

    void texts()
    {
        AboutDialog d;
        QCOMPARE(d.objectName(), QStringLiteral("AboutDialog"));
        QCOMPARE(d.windowTitle(), QStringLiteral("About"));
        QCOMPARE(d.size(), QSize(522, 343));
        QCOMPARE(label(&d, "label")->text(), QStringLiteral(TEST_EDITION_NAME));
        QCOMPARE(label(&d, "label")->font().pointSize(), 18);
        QCOMPARE(label(&d, "label")->font().weight(), QFont::Bold);
        // Fitted to its text: the name is not cut.
        QVERIFY(label(&d, "label")->width() >= label(&d, "label")->sizeHint().width());
        QCOMPARE(label(&d, "label_5")->text(), QStringLiteral("for Windows 10"));
        QCOMPARE(label(&d, "label_5")->font().pointSize(), 16);
        QCOMPARE(label(&d, "label_5")->font().weight(), QFont::Normal);
        QCOMPARE(label(&d, "versionLabel")->text(), QStringLiteral("Version: 3.3"));
        QCOMPARE(label(&d, "label_2")->text(), QStringLiteral("Website:"));
        QCOMPARE(d.findChild<QPushButton *>(QStringLiteral("closeButton"))->text(), QStringLiteral("Close"));
        const QPixmap image = label(&d, "label_4")->pixmap();
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(128, 128));
        QCOMPARE(image.toImage().convertToFormat(QImage::Format_ARGB32),
                 QImage(QStringLiteral(":/resources/images/Hushdeck128.png")).convertToFormat(QImage::Format_ARGB32));
    }

    void webLink()
    {
        AboutDialog d;
        QLabel *web = label(&d, "webLabel");
        QCOMPARE(web->textFormat(), Qt::RichText);
        QCOMPARE(web->textInteractionFlags(),
                 Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        QVERIFY(web->openExternalLinks());
        QCOMPARE(web->text(), QStringLiteral("<a href=\"" HUSHDECK_MAKER_SITE "\">" HUSHDECK_MAKER_SITE "</a>"));
        QVERIFY(web->font().underline());
    }

    // Tab to the link and press Return: the browser gets the maker's site, as on a click.
    void linkOpensFromTheKeyboard()
    {
        UrlCatcher catcher;
        const QString scheme = QUrl(QStringLiteral(HUSHDECK_MAKER_SITE)).scheme();
        QDesktopServices::setUrlHandler(scheme, &catcher, "open");
        AboutDialog d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QLabel *web = label(&d, "webLabel");
        web->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(web->hasFocus());
        QTest::keyClick(web, Qt::Key_Tab);
        QTest::keyClick(web, Qt::Key_Return);
        QDesktopServices::unsetUrlHandler(scheme);
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(QStringLiteral(HUSHDECK_MAKER_SITE))});
    }

    void closeButtonFreesTheDialog()
    {
        auto *d = new AboutDialog;
        QPointer<AboutDialog> guard(d);
        d->show();
        d->findChild<QPushButton *>(QStringLiteral("closeButton"))->click();
        QTRY_VERIFY(guard.isNull());
    }

    // From the toolbar: modal, a child of the window, made anew each time and freed by every way out.
    void fromTheMainWindow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("close box") << "close box";
        QTest::newRow("Close button") << "Close button";
        QTest::newRow("Escape") << "Escape";
    }

    void fromTheMainWindow()
    {
        QFETCH(QString, how);
        MainWindow w;
        w.show();
        for (int round = 0; round < 2; ++round) {
            QString version;
            const auto run = runFromToolbar<AboutDialog>(w, QStringLiteral("About"), [&](AboutDialog *d) {
                version = label(d, "versionLabel")->text();
                if (how == QLatin1String("close box"))
                    d->close();
                else if (how == QLatin1String("Escape"))
                    QTest::keyClick(d, Qt::Key_Escape);
                else
                    d->findChild<QPushButton *>(QStringLiteral("closeButton"))->click();
            });
            QVERIFY(run.ran);
            QVERIFY(run.modal);
            QCOMPARE(version, QStringLiteral("Version: 3.3"));
            QTRY_VERIFY(run.dialog.isNull());
            QVERIFY(w.findChildren<AboutDialog *>().isEmpty());
        }
    }

private:
    std::unique_ptr<TestMachine> m;
};

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
