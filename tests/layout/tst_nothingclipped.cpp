// What a user sees on every setting page, tool page and dialog at the smaller window size the suite
// supports: no label, button, check box or group title cut short, no designer placeholder text, and no
// page that needs more width than its window gives it.
#include "aboutdialog.h"
#include "archiveserver.h"
#include "boundedtransfer.h"
#include "autodarkmodeform.h"
#include "autowallpaperchangerform.h"
#include "checkupdatedialog.h"
#include "customfiletypedialog.h"
#include "detailinfodialog.h"
#include "diskusageform.h"
#include "findduplicateform.h"
#include "findduplicateoptionsdialog.h"
#include "findduplicateresultform.h"
#include "findduplicatethread.h"
#include "iteminfoform.h"
#include "layoutchecks.h"
#include "misctoolsform.h"
#include "mytrayiconform.h"
#include "optionsdialog.h"
#include "pagetable.h"
#include "productinfo.h"
#include "processmanagerform.h"
#include "processmanmoreinfodialog.h"
#include "processmansetprioritydialog.h"
#include "restorebackupdialog.h"
#include "scaninfoform.h"
#include "reviewchangesdialog.h"
#include "securedeleteform.h"
#include "securedeleteoptionsdialog.h"
#include "settingpage.h"
#include "smartshortcutform.h"
#include "systeminfoform.h"
#include "testmachine.h"
#include "trackcleanerdetaildialog.h"
#include "trackcleanerform.h"
#include "transparenttaskbarmoduleform.h"
#include "troubleshooterform.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyleOptionGroupBox>
#include <QTreeView>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Makes the page or dialog as a user meets it; nullptr when what it waits for did not come.
using Make = std::function<QWidget *()>;

// The room a page has in a 1024x640 window: a setting page in the catalogue's tab beside the side panel
// (less the tab frame and a scroll bar), a tool page beside the side panel and below the window's margin.
constexpr int settingPageWidth = 740;
constexpr int toolPageWidth = 820;
constexpr int toolPageHeight = 583;

QString name(const QWidget *w)
{
    return QStringLiteral("%1 %2").arg(QLatin1String(w->metaObject()->className()), w->objectName());
}

// The width a push button's text and icon take with the style's margin and frame, as its size hint counts
// them, but without the style's smallest button width.
int pushButtonNeed(const QPushButton *b)
{
    int need = b->fontMetrics().size(Qt::TextShowMnemonic, b->text()).width();
    if (!b->icon().isNull())
        need += b->iconSize().width() + 4;
    const QStyle *style = b->style();
    return need + style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) +
           2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
}

// Whether a label's text fits the label as laid out.
bool labelFits(const QLabel *l)
{
    if (l->wordWrap())
        return l->heightForWidth(l->width()) <= l->height();
    return l->sizeHint().width() <= l->width() && l->sizeHint().height() <= l->height() + 2;
}

// The simulated machine's folder: a path below it is measured as Windows spells it ("C:\\..."), since its
// length here depends on where the test's temporary folder lies.
QString machineFolder;

// Every text of root that is cut short or a designer placeholder, or root itself when it needs more
// width than it was given, or more height where its height is bounded (height > 0).
QStringList faults(QWidget *root, int width, int height = 0)
{
    QStringList out;
    if (root->minimumSizeHint().width() > width)
        out << QStringLiteral("%1 needs %2 px, has %3").arg(name(root)).arg(root->minimumSizeHint().width()).arg(width);
    if (height > 0 && root->minimumSizeHint().height() > height)
        out << QStringLiteral("%1 needs %2 px high, has %3")
                   .arg(name(root))
                   .arg(root->minimumSizeHint().height())
                   .arg(height);
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isVisible())
            continue;
        QString text;
        bool fits = true;
        if (auto *l = qobject_cast<QLabel *>(w)) {
            text = l->text();
            fits = text.isEmpty() || labelFits(l);
        } else if (auto *b = qobject_cast<QPushButton *>(w)) {
            text = b->text();
            fits = pushButtonNeed(b) <= b->width();
        } else if (auto *e = qobject_cast<QLineEdit *>(w)) {
            // The edit's own text margins, two pixels each side, and its frame.
            text = e->text();
            QString shown = text;
            if (!machineFolder.isEmpty() && shown.startsWith(machineFolder))
                shown =
                    QStringLiteral("C:") + shown.mid(machineFolder.size()).replace(QLatin1Char('/'), QLatin1Char('\\'));
            const int frame = e->hasFrame() ? 2 * e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e) : 0;
            fits = e->fontMetrics().horizontalAdvance(shown) + 4 + frame <= e->width();
        } else if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)) {
            text = static_cast<QAbstractButton *>(w)->text();
            fits = w->sizeHint().width() <= w->width();
        } else if (auto *g = qobject_cast<QGroupBox *>(w)) {
            text = g->title();
            QStyleOptionGroupBox option;
            option.initFrom(g);
            option.text = g->title();
            option.subControls =
                QStyle::SC_GroupBoxLabel | (g->isCheckable() ? QStyle::SC_GroupBoxCheckBox : QStyle::SC_None);
            option.features = QStyleOptionFrame::None;
            const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, g);
            fits = label.right() < g->width();
        } else if (auto *v = qobject_cast<QTreeView *>(w)) {
            QHeaderView *header = v->header();
            for (int c = 0; v->model() && c < header->count(); ++c)
                if (!header->isSectionHidden(c) && header->sectionSize(c) < header->sectionSizeHint(c))
                    out << QStringLiteral("%1 cuts column \"%2\"")
                               .arg(name(w), v->model()->headerData(c, Qt::Horizontal).toString());
            for (const LayoutChecks::CutCell &cell : LayoutChecks::cellsCutBesideRoom(v))
                out << QStringLiteral("%1 cuts \"%2\" in column \"%3\" beside %4 px of room")
                           .arg(name(w), cell.text, cell.column)
                           .arg(cell.room);
            continue;
        } else {
            continue;
        }
        if (LayoutChecks::isPlaceholder(text))
            out << QStringLiteral("%1 shows placeholder \"%2\"").arg(name(w), text);
        else if (!fits)
            out << QStringLiteral("%1 cuts \"%2\" (%3 px wide)").arg(name(w), text).arg(w->width());
        // A widget placed outside its parent is cut by the parent, unless the parent scrolls it.
        QWidget *parent = w->parentWidget();
        if (parent && !qobject_cast<QAbstractScrollArea *>(parent->parentWidget()) &&
            !parent->rect().contains(w->geometry()))
            out << QStringLiteral("%1 lies outside %2").arg(name(w), name(parent));
    }
    return out;
}

// A tool page has the window's height; a setting page scrolls, and a dialog opens at the size it needs.
void check(QWidget *w, QSize size, bool heightBounded)
{
    std::unique_ptr<QWidget> owner(w);
    QWidget *top = w;
    // A page is measured as the window holds it, as a child: styles give top-level widgets wider margins.
    if (heightBounded) {
        auto frame = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(frame.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(owner.release());
        owner = std::move(frame);
        top = owner.get();
    }
    QSize shown = size.expandedTo(top->minimumSizeHint());
    // A page in a scroll area gets the height its wrapped texts need at that width.
    if (top->hasHeightForWidth())
        shown.setHeight(qMax(shown.height(), top->heightForWidth(shown.width())));
    top->resize(shown);
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top));
    QCoreApplication::processEvents();
    // A text that changed during those events (the update check's answer) has its layout pass still posted:
    // measure the laid-out dialog, not the moment in between.
    for (int round = 0; round < 4; ++round)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QStringList found = faults(w, size.width(), heightBounded ? size.height() : 0);
    if (!found.isEmpty())
        QFAIL(qPrintable(found.join(QStringLiteral("\n   "))));
}

} // namespace

class TestNothingClipped : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestMachine> m;
    std::unique_ptr<ArchiveServer> archive;
    QTemporaryDir noInstall;
    const QFont hostFont = QApplication::font();

    // 0 stands for the host's own font; a larger one shows the widths that fit only the host's.
    static constexpr int fontSizes[] = {0, 12};
    static QByteArray rowName(const char *name, int points)
    {
        return points ? QByteArray(name) + " at " + QByteArray::number(points) + "pt" : QByteArray(name);
    }
    void setFontSize(int points)
    {
        if (!points)
            return;
        QFont font = hostFont;
        font.setPointSize(points);
        QApplication::setFont(font);
    }

private slots:
    void init()
    {
        m.reset(new TestMachine);
        machineFolder = m->folder();
        qputenv("HUSHDECK_INSTALL", QFile::encodeName(noInstall.path()));
        // A local server for the pages that ask the network: each row sets what it answers.
        archive = std::make_unique<ArchiveServer>();
    }
    void cleanup()
    {
        QApplication::setFont(hostFont);
        // No download a page gave up on outlives the machine it works on.
        archive.reset();
        QTRY_COMPARE(transfersRunning(), 0);
        m.reset();
    }

    void settingPage_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("points");
        for (int points : fontSizes)
            for (int r = 0; r < pageTable().size(); ++r)
                QTest::newRow(rowName(pageTable().at(r).meta->className(), points)) << r << points;
    }
    void settingPage()
    {
        QFETCH(int, row);
        QFETCH(int, points);
        setFontSize(points);
        SettingPage *page = pageTable().at(row).create();
        // A number field shows the largest number its slider gives.
        for (QSlider *slider : page->findChildren<QSlider *>())
            slider->setValue(slider->maximum());
        check(page, QSize(settingPageWidth, 200), false);
    }

    void toolPageOrDialog_data()
    {
        QTest::addColumn<Make>("make");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("points");
        struct Row
        {
            const char *name;
            Make make;
            QSize size;
        };
        QList<Row> rows;
        const auto newRow = [&rows](const char *name, Make make, QSize size) { rows.append({name, make, size}); };
        const QSize page(toolPageWidth, toolPageHeight);
        newRow("AutoDarkModeForm", Make([] { return new AutoDarkModeForm; }), page);
        // Measured once the archive's picture of the day and its description, as long as the archive writes
        // them, have arrived.
        newRow("AutoWallpaperChangerForm", Make([this] {
                   m->overrideUrl(QStringLiteral("https://www.bing.com"), archive->base());
                   m->overrideUrl(QStringLiteral("https://bing.com"), archive->base());
                   const QString image = QStringLiteral("/th?id=OHR.Day_1920x1080.jpg");
                   archive->answer(QStringLiteral("/HPImageArchive"),
                                   ArchiveServer::archiveAnswer(image).replace(
                                       "A sample (c) Someone",
                                       "Sunrise over the terraced rice fields and the old stone bridge of a "
                                       "mountain village in spring (\xc2\xa9 Firstname Lastname-Longername/Photo "
                                       "Agency Images International)"));
                   archive->answer(image, ArchiveServer::jpeg());
                   auto form = std::make_unique<AutoWallpaperChangerForm>();
                   auto *set = form->findChild<QPushButton *>(QStringLiteral("wallpaperChangerImageButton"));
                   const bool arrived =
                       QTest::qWaitFor([&] { return !form->downloadRunning; }, 20000) && set->isEnabled();
                   return arrived ? form.release() : nullptr;
               }),
               page);
        newRow("DiskUsageForm", Make([] { return new DiskUsageForm; }), page);
        newRow("FindDuplicateForm", Make([] { return new FindDuplicateForm; }), page);
        newRow("FindDuplicateResultForm", Make([] { return new FindDuplicateResultForm; }), page);
        newRow("MyTrayIconForm", Make([] { return new MyTrayIconForm; }), page);
        newRow("ProcessManagerForm", Make([] { return new ProcessManagerForm; }), page);
        newRow("SecureDeleteForm", Make([] { return new SecureDeleteForm; }), page);
        newRow("SmartShortcutForm", Make([] { return new SmartShortcutForm; }), page);
        newRow("SystemInfoForm", Make([] { return new SystemInfoForm; }), page);
        newRow("TrackCleanerForm", Make([] { return new TrackCleanerForm; }), page);
        newRow("TransparentTaskbarModuleForm", Make([] { return new TransparentTaskbarModuleForm; }), page);
        newRow("TroubleshooterForm", Make([] { return new TroubleshooterForm; }), page);
        newRow("MiscToolsForm", Make([] { return new MiscToolsForm; }), page);
        // Panels that tool pages show in their place or in rows: nothing of them reads as a placeholder
        // before the tool gives them their texts.
        newRow("ScanInfoForm", Make([] { return new ScanInfoForm; }), page);
        newRow("ItemInfoForm", Make([] { return new ItemInfoForm; }), QSize(771, 78));
        // Dialogs at the size they open with.
        const QSize own;
        newRow("AboutDialog", Make([] { return new AboutDialog; }), own);
        // Each answer the update check can give: a newer version with its Download button, none, no answer
        // (the test machine's update host refuses the connection).
        const auto updateCheck = [this](QByteArray answer) {
            return Make([this, answer] {
                if (!answer.isEmpty()) {
                    m->overrideUrl(QStringLiteral("http://" HUSHDECK_MAKER_HOST), archive->base());
                    archive->answer(QStringLiteral("/Hushdeck10Plus/update.txt"), answer);
                }
                auto dialog = std::make_unique<CheckUpdateDialog>();
                auto *message = dialog->findChild<QLabel *>(QStringLiteral("messageLabel"));
                const bool answered =
                    QTest::qWaitFor([&] { return !message->text().startsWith(QLatin1String("Checking")); }, 20000);
                return answered ? dialog.release() : nullptr;
            });
        };
        newRow("CheckUpdateDialog, newer version", updateCheck("majorVersion=99;minorVersion=99;"), own);
        newRow("CheckUpdateDialog, no update",
               updateCheck(QStringLiteral("majorVersion=%1;minorVersion=%2;")
                               .arg(installedMajorVersion)
                               .arg(installedMinorVersion)
                               .toLatin1()),
               own);
        newRow("CheckUpdateDialog, no answer", updateCheck(QByteArray()), own);
        newRow("ReviewChangesDialog", Make([] { return new ReviewChangesDialog; }), own);
        newRow("RestoreBackupDialog", Make([] { return new RestoreBackupDialog; }), own);
        newRow("CustomFileTypeDialog", Make([] { return new CustomFileTypeDialog; }), own);
        newRow("FindDuplicateOptionsDialog", Make([] { return new FindDuplicateOptionsDialog; }), own);
        newRow("DetailInfoDialog", Make([] { return new DetailInfoDialog; }), own);
        newRow("OptionsDialog", Make([] { return new OptionsDialog; }), own);
        newRow("ProcessManMoreInfoDialog", Make([] { return new ProcessManMoreInfoDialog; }), own);
        newRow("ProcessManSetPriorityDialog", Make([] { return new ProcessManSetPriorityDialog; }), own);
        newRow("SecureDeleteOptionsDialog", Make([] { return new SecureDeleteOptionsDialog; }), own);
        newRow("TrackCleanerDetailDialog", Make([] { return new TrackCleanerDetailDialog(nullptr); }), own);
        for (int points : fontSizes)
            for (const Row &row : rows)
                QTest::newRow(rowName(row.name, points)) << row.make << row.size << points;
    }

    void toolPageOrDialog()
    {
        QFETCH(Make, make);
        QFETCH(QSize, size);
        QFETCH(int, points);
        setFontSize(points);
        QWidget *w = make();
        QVERIFY2(w, "the page did not get the answer it waits for");
        // The window's height bounds a tool page in the host's font; at the larger font the window grows.
        check(w, size.isValid() ? size : w->size(), size.isValid() && !points);
    }

    // A found file's folder shows whole where the window has room for it, rather than being cut at the
    // path column's first width beside an empty note column.
    void duplicatePathShowsWhole()
    {
        const QString folder = QStringLiteral("C:\\Users\\User\\Pictures\\Holiday pictures\\2023 summer\\Camera");
        QList<CategoryResult> results{{QStringLiteral("Image files"), {{}}}};
        for (const QString &name : {QStringLiteral("a.jpg"), QStringLiteral("b.jpg")})
            results[0].groups[0].files << DuplicateFileRecord{
                name, folder, folder + QLatin1Char('\\') + name, 10, {}, {}, {}, QStringLiteral("jpg")};
        FindDuplicateResultForm form;
        form.categoryResults = &results;
        form.startFill();
        QVERIFY(QTest::qWaitFor([&] { return !form.filling; }));
        form.resize(1200, 800);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *view = form.findChild<QTreeView *>(QStringLiteral("treeView"));
        QCOMPARE(view->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Path"));
        // The text and the cell's margins, a few pixels each side.
        QVERIFY(view->columnWidth(5) >= view->fontMetrics().horizontalAdvance(folder) + 8);
        const QStringList found = faults(&form, 1200);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestNothingClipped)
#include "tst_nothingclipped.moc"
