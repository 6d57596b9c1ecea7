#include "tour.h"

#include "layoutchecks.h"

#include "diskusageform.h"
#include "findduplicateform.h"
#include "hushdeckform.h"
#include "mainwindow.h"
#include "scanprogressform.h"
#include "win32.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QImage>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStackedLayout>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace {

// Lets the layouts and pending paints of what was just shown or resized settle before a grab.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
}

// "Special Folders" -> "special-folders": a file-name part that stays the same from run to run.
QString slug(const QString &text)
{
    QString s = text.toLower();
    s.replace(QRegularExpression(QStringLiteral("[^a-z0-9]+")), QStringLiteral("-"));
    while (s.startsWith(QLatin1Char('-')))
        s.remove(0, 1);
    while (s.endsWith(QLatin1Char('-')))
        s.chop(1);
    return s;
}

// "autoWallpaperChanger" -> "auto-wallpaper-changer", "TitleBarSizeForm" -> "title-bar-size-form".
QString kebab(const QString &camel)
{
    QString s = camel;
    s.replace(QRegularExpression(QStringLiteral("([a-z0-9])([A-Z])")), QStringLiteral("\\1-\\2"));
    return slug(s);
}

// The width a push or tool button needs to show its text and icon in full: the text's and icon's own widths
// within the frame. Size hints are no measure of that, as styles pad them and give push buttons a minimum width.
int buttonNeeds(const QAbstractButton *button)
{
    const int frame = 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    const int text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
    const int icon = button->icon().isNull() ? 0 : button->icon().actualSize(button->iconSize()).width();
    auto *tool = qobject_cast<const QToolButton *>(button);
    if (!tool || tool->toolButtonStyle() == Qt::ToolButtonTextBesideIcon ||
        tool->toolButtonStyle() == Qt::ToolButtonFollowStyle)
        return frame + text + (icon ? icon + 4 : 0);
    if (tool->toolButtonStyle() == Qt::ToolButtonTextUnderIcon)
        return frame + qMax(text, icon);
    return frame + text;
}

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
}

// The width a header section needs for its text, as the header itself measures it.
struct HeaderAccess : QHeaderView
{
    HeaderAccess() = delete;
    static QSize needed(const QHeaderView *h, int logical)
    {
        return (h->*(&HeaderAccess::sectionSizeFromContents))(logical);
    }
};

} // namespace

Tour::Tour(MainWindow *window, const QString &dir) : window(window), dir(dir) {}

QList<QSize> Tour::parseSizes(const QString &text)
{
    QList<QSize> sizes;
    static const QRegularExpression size(QStringLiteral("^\\s*(\\d+)x(\\d+)\\s*$"));
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QRegularExpressionMatch m = size.match(part);
        if (m.hasMatch() && m.captured(1).toInt() > 0 && m.captured(2).toInt() > 0)
            sizes << QSize(m.captured(1).toInt(), m.captured(2).toInt());
    }
    return sizes;
}

bool Tour::run(const QList<QSize> &sizes)
{
    if (!QDir().mkpath(dir))
        return false;
    for (const QSize &windowSize : sizes) {
        size = windowSize;
        sizeName = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        window->resize(size);
        settle();
        walk();
    }
    QFile file(QDir(dir).filePath(QStringLiteral("tour-report.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QByteArray text = QByteArray::number(report.size()) +
                      " findings: texts or cells cut short, placeholders, pages or dialogs larger than the window\n";
    for (const QString &line : std::as_const(report))
        text += line.toUtf8() + '\n';
    return file.write(text) == text.size() && file.flush() && !failed;
}

void Tour::walk()
{
    // Every side-panel button in panel order, also the one the panel hides: each opens its module page.
    auto *panel = window->findChild<QWidget *>(QStringLiteral("scrollAreaWidgetContents"));
    const QList<QToolButton *> buttons =
        panel ? panel->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly) : QList<QToolButton *>();
    for (QToolButton *button : buttons) {
        QString name = button->objectName();
        name.remove(QStringLiteral("Button"));
        name = QStringLiteral("page-") + kebab(name);
        button->click();
        settle();
        shoot(window, name);
        walkTabs(window->stack()->currentWidget(), name);
    }
    walkDialogs();
    walkResults();
    // Back to where the window starts, so the next size begins alike.
    if (!buttons.isEmpty())
        buttons.first()->click();
    settle();
}

void Tour::walkTabs(QWidget *root, const QString &name)
{
    if (!root)
        return;
    for (QTabWidget *tabs : root->findChildren<QTabWidget *>()) {
        if (!tabs->isVisible())
            continue;
        const int shown = tabs->currentIndex();
        for (int i = 0; i < tabs->count(); ++i) {
            if (!tabs->isTabEnabled(i) || !tabs->isTabVisible(i))
                continue;
            tabs->setCurrentIndex(i);
            // Each tab's picture starts at its top, whatever an earlier walk left scrolled.
            for (QAbstractScrollArea *area : tabs->widget(i)->findChildren<QAbstractScrollArea *>()) {
                area->verticalScrollBar()->setValue(area->verticalScrollBar()->minimum());
                area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->minimum());
            }
            settle();
            const QString tabName = name + QLatin1Char('-') + slug(tabs->tabText(i));
            shoot(window, tabName);
            walkSettingPages(tabs->widget(i), tabName);
        }
        tabs->setCurrentIndex(shown);
        settle();
    }
}

void Tour::walkSettingPages(QWidget *tab, const QString &name)
{
    for (QWidget *page : tab->findChildren<QWidget *>()) {
        if (!page->inherits("SettingPage") || !page->isVisible())
            continue;
        for (QWidget *p = page->parentWidget(); p; p = p->parentWidget()) {
            if (auto *area = qobject_cast<QScrollArea *>(p)) {
                area->ensureWidgetVisible(page);
                break;
            }
        }
        settle();
        QString className = QString::fromLatin1(page->metaObject()->className());
        className.remove(QRegularExpression(QStringLiteral("Form$")));
        shoot(page, name + QLatin1Char('-') + kebab(className));
    }
}

void Tour::walkDialogs()
{
    shootModal(QStringLiteral("about"), [this] { window->OnAbout(); });
    shootModal(QStringLiteral("check-update"), [this] { window->OnUpdate(); });

    if (auto *catalogue = qobject_cast<HushdeckForm *>(window->modulePage(MainWindow::HushdeckPage))) {
        // Review Changes opens only while a change is pending, so one is made for its picture and then
        // cancelled through the catalogue's own confirmation: nothing is written.
        auto *choice = catalogue->findChild<QComboBox *>(QStringLiteral("HideFileExtComboBox"));
        if (choice && choice->count() > 1)
            choice->setCurrentIndex(choice->currentIndex() == 0 ? 1 : 0);
        settle();
        if (catalogue->reviewChangesAction->isEnabled()) {
            shootModal(QStringLiteral("review-changes"), [catalogue] { catalogue->OnReviewChangesAction(); });
            shootModal(
                QStringLiteral("cancel-changes"), [catalogue] { catalogue->OnCancel(); },
                [](QDialog *confirm) {
                    if (auto *box = qobject_cast<QMessageBox *>(confirm))
                        if (QAbstractButton *yes = box->button(QMessageBox::Yes))
                            yes->click();
                });
        } else {
            report << QStringLiteral("%1  review-changes: no change could be made to review").arg(sizeName);
            failed = true;
        }
        shootModal(QStringLiteral("restore-backup"), [catalogue] { catalogue->OnRestoreBackupAction(); });
    }
    if (auto *folderSize = qobject_cast<DiskUsageForm *>(window->modulePage(MainWindow::DiskUsagePage))) {
        shootModal(QStringLiteral("folder-size-details"), [folderSize] { folderSize->OnShowDetails(0); });
        shootModal(QStringLiteral("folder-size-options"), [folderSize] { folderSize->on_optionsButton_clicked(); });
    }
    if (QWidget *duplicates = window->modulePage(MainWindow::FindDuplicatePage)) {
        shootModal(
            QStringLiteral("find-duplicate-options"),
            [duplicates] { QMetaObject::invokeMethod(duplicates, "on_optionsButton_clicked"); },
            [this](QDialog *options) {
                shootModal(QStringLiteral("find-duplicate-custom-file-type"),
                           [options] { QMetaObject::invokeMethod(options, "on_addButton_clicked"); });
            });
    }
    if (QWidget *shredder = window->modulePage(MainWindow::SecureDeletePage))
        shootModal(QStringLiteral("secure-delete-options"),
                   [shredder] { QMetaObject::invokeMethod(shredder, "on_ffOptionsButton_clicked"); });
    if (QWidget *processes = window->modulePage(MainWindow::ProcessManagerPage)) {
        // Both dialogs describe the selected process.
        auto *view = processes->findChild<QTreeView *>(QStringLiteral("ffTreeView"));
        if (view && view->model() && view->model()->rowCount() > 0)
            view->selectionModel()->select(view->model()->index(0, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        shootModal(QStringLiteral("process-manager-more-info"),
                   [processes] { QMetaObject::invokeMethod(processes, "on_moreInfoButton_clicked"); });
        shootModal(QStringLiteral("process-manager-set-priority"),
                   [processes] { QMetaObject::invokeMethod(processes, "on_setPriorityButton_clicked"); });
    }
    if (QWidget *cleaner = window->modulePage(MainWindow::TrackCleanerPage))
        shootModal(QStringLiteral("track-cleaner-details"), [cleaner] {
            QMetaObject::invokeMethod(cleaner, "on_TrackCleanerFileExplorerRecentFilesButton_clicked");
        });
}

void Tour::walkResults()
{
    // A large result set of long paths, made once: both pages that list one scan it, and their lists and
    // progress must keep to the window.
    if (!resultTree) {
        resultTree = std::make_shared<QTemporaryDir>();
        const QString longName = QStringLiteral("a folder with a rather long name to make long paths ");
        const QDateTime written = QDateTime::fromSecsSinceEpoch(1700000000);
        for (int d = 0; d < 60; ++d) {
            const QString folder = resultTree->filePath(QStringLiteral("%1%2/%1/%1").arg(longName).arg(d));
            QDir().mkpath(folder);
            for (int f = 0; f < 10; ++f)
                for (const QString &copy : {folder + QStringLiteral("/copy %1.txt").arg(f),
                                            folder + QStringLiteral("/%1again %2.txt").arg(longName).arg(f)}) {
                    QFile file(copy);
                    if (file.open(QIODevice::WriteOnly) && file.write(QByteArray(100 + d * 10 + f, 'x')) > 0 &&
                        file.flush())
                        file.setFileTime(written, QFileDevice::FileModificationTime);
                }
        }
    }
    const QString folder = nativeSeparators(fromHostPath(resultTree->path()));
    auto waitFor = [](const std::function<bool()> &done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
        settle();
        return done();
    };
    if (auto *duplicates = qobject_cast<FindDuplicateForm *>(window->modulePage(MainWindow::FindDuplicatePage))) {
        window->on_findDuplicateButton_clicked();
        duplicates->on_AddURL(folder);
        // The results the page shows now: an earlier size's, hidden, stays its child until its deletion comes
        // round, which this walk inside the event loop does not let happen.
        const bool shown = waitFor([duplicates] {
            const QList<QTreeView *> lists = duplicates->findChildren<QTreeView *>(QStringLiteral("treeView"));
            return std::any_of(lists.cbegin(), lists.cend(), [](const QTreeView *list) {
                return list->isVisible() && list->model() && list->model()->rowCount() > 0;
            });
        });
        if (shown)
            shoot(window, QStringLiteral("find-duplicate-results"));
        else
            noteMissing(QStringLiteral("find-duplicate-results"));
        duplicates->OnBackToMain();
    }
    if (auto *usage = qobject_cast<DiskUsageForm *>(window->modulePage(MainWindow::DiskUsagePage))) {
        window->on_diskUsageButton_clicked();
        usage->StartScanPath(folder);
        bool finished = false;
        if (usage->resultPage)
            QObject::connect(usage->resultPage, &ScanProgressForm::scanFinish, [&finished] { finished = true; });
        if (waitFor([&finished] { return finished; }))
            shoot(window, QStringLiteral("folder-size-results"));
        else
            noteMissing(QStringLiteral("folder-size-results"));
        usage->OnBackToMain();
    }
    settle();
}

void Tour::noteMissing(const QString &name)
{
    report << QStringLiteral("%1  %2: the results did not show").arg(sizeName, name);
    failed = true;
}

void Tour::shootModal(const QString &name, const std::function<void()> &open,
                      const std::function<void(QDialog *)> &inside)
{
    QWidget *outer = QApplication::activeModalWidget();
    bool seen = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog == outer)
            return;
        timer.stop();
        seen = true;
        settle();
        shoot(dialog, name);
        if (inside)
            inside(dialog);
        // inside may have answered the dialog already; its answer stands.
        if (dialog->isVisible())
            dialog->reject();
    });
    timer.start();
    open();
    timer.stop();
    if (!seen) {
        report << QStringLiteral("%1  %2: the dialog did not open").arg(sizeName, name);
        failed = true;
    }
}

void Tour::shoot(QWidget *w, const QString &name)
{
    const QString shot = sizeName + QLatin1Char('-') + name;
    const QPixmap picture = w->grab();
    if (picture.isNull() || !picture.save(QDir(dir).filePath(shot + QStringLiteral(".png")), "PNG"))
        failed = true;
    else
        ++shots;
    inspect(w, name);
    inspectPicturesAndLists(w, name);
    inspectSize(w, name);
    findHostPaths(w, name);
}

void Tour::note(const QString &shot, QWidget *w, const QString &text, const QString &what)
{
    QString path = w->objectName();
    if (path.isEmpty())
        path = QString::fromLatin1(w->metaObject()->className());
    for (QWidget *p = w->parentWidget(); path.isEmpty() && p; p = p->parentWidget())
        path = p->objectName();
    const QString line =
        QStringLiteral("%1  %2: %3 %4 \"%5\" %6")
            .arg(sizeName, shot, QString::fromLatin1(w->metaObject()->className()), path, oneLine(text), what);
    // A widget seen in several pictures is listed once per size.
    const QString key = sizeName + QString::number(quintptr(w)) + text + what;
    if (reported.contains(key))
        return;
    reported.insert(key);
    report << line;
}

void Tour::inspect(QWidget *top, const QString &shot)
{
    QList<QWidget *> widgets = top->findChildren<QWidget *>();
    widgets.prepend(top);
    // These dialogs are titled "Dialog" by design; any other window with a designer title is a slip.
    static const QSet<QString> titledDialog = {
        QStringLiteral("CustomFileTypeDialog"), QStringLiteral("SecureDeleteOptionsDialog"),
        QStringLiteral("ProcessManMoreInfoDialog"), QStringLiteral("ProcessManSetPriorityDialog"),
        QStringLiteral("TrackCleanerDetailDialog")};
    if (top->isWindow() && LayoutChecks::isPlaceholder(top->windowTitle()) &&
        !titledDialog.contains(QString::fromLatin1(top->metaObject()->className())))
        note(shot, top, top->windowTitle(), QStringLiteral("is a placeholder title"));
    for (QWidget *w : std::as_const(widgets)) {
        if (!w->isVisible())
            continue;
        auto tooNarrow = [&](const QString &text, int needed) {
            if (LayoutChecks::isPlaceholder(text))
                note(shot, w, text, QStringLiteral("is a placeholder"));
            if (!text.isEmpty() && needed > w->width())
                note(shot, w, text, QStringLiteral("needs %1 px, has %2").arg(needed).arg(w->width()));
        };
        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text().isEmpty())
                continue;
            if (label->wordWrap()) {
                const int height = label->heightForWidth(label->width());
                if (LayoutChecks::isPlaceholder(label->text()))
                    note(shot, w, label->text(), QStringLiteral("is a placeholder"));
                if (height > label->height())
                    note(shot, w, label->text(),
                         QStringLiteral("needs %1 px high, has %2").arg(height).arg(label->height()));
            } else {
                tooNarrow(label->text(), label->sizeHint().width());
            }
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            auto *tool = qobject_cast<QToolButton *>(w);
            if (tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly)
                continue;
            const bool box = qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w);
            tooNarrow(button->text(), box ? button->sizeHint().width() : buttonNeeds(button));
        } else if (auto *box = qobject_cast<QGroupBox *>(w)) {
            tooNarrow(box->title(), box->minimumSizeHint().width());
        } else if (auto *bar = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < bar->count(); ++i)
                if (LayoutChecks::isPlaceholder(bar->tabText(i)))
                    note(shot, w, bar->tabText(i), QStringLiteral("is a placeholder tab"));
        } else if (auto *header = qobject_cast<QHeaderView *>(w)) {
            if (header->orientation() != Qt::Horizontal || !header->model())
                continue;
            for (int logical = 0; logical < header->count(); ++logical) {
                if (header->isSectionHidden(logical))
                    continue;
                const QString text = header->model()->headerData(logical, Qt::Horizontal).toString();
                if (LayoutChecks::isPlaceholder(text))
                    note(shot, w, text, QStringLiteral("is a placeholder column"));
                const int needed = HeaderAccess::needed(header, logical).width();
                if (!text.isEmpty() && needed > header->sectionSize(logical))
                    note(shot, w, text,
                         QStringLiteral("column needs %1 px, has %2").arg(needed).arg(header->sectionSize(logical)));
            }
        }
    }
}

void Tour::inspectPicturesAndLists(QWidget *top, const QString &shot)
{
    QList<QWidget *> widgets = top->findChildren<QWidget *>();
    widgets.prepend(top);
    for (QWidget *w : std::as_const(widgets)) {
        if (!w->isVisible())
            continue;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            const QPixmap picture = label->pixmap();
            if (picture.isNull())
                continue;
            auto verdict = cards.find(picture.cacheKey());
            if (verdict == cards.end())
                verdict = cards.insert(picture.cacheKey(), LayoutChecks::isPlaceholderCard(picture.toImage()));
            if (*verdict)
                note(shot, w, QStringLiteral("%1x%2 picture").arg(picture.width()).arg(picture.height()),
                     QStringLiteral("is a placeholder card"));
        } else if (auto *view = qobject_cast<QTreeView *>(w)) {
            for (const LayoutChecks::CutCell &cell : LayoutChecks::cellsCutBesideRoom(view))
                note(shot, w, cell.column,
                     QStringLiteral("column cuts \"%1\" by %2 px beside %3 px of room")
                         .arg(oneLine(cell.text))
                         .arg(cell.lacks)
                         .arg(cell.room));
        }
    }
}

void Tour::inspectSize(QWidget *top, const QString &shot)
{
    if (!top->isWindow())
        return;
    const QSize has = top->size();
    if (top == window) {
        // A page that needs more than the window has grows the window; it is put back for the next picture.
        if (has == size)
            return;
        // Named by the picture, so that each page that grows it is listed.
        note(shot, top, shot, QStringLiteral("grows the window to %1x%2").arg(has.width()).arg(has.height()));
        window->resize(size);
        settle();
    } else if (has.width() > size.width() || has.height() > size.height()) {
        note(shot, top, top->windowTitle(),
             QStringLiteral("is %1x%2, larger than the window").arg(has.width()).arg(has.height()));
    }
}
void Tour::findHostPaths(QWidget *top, const QString &shot)
{
    QStringList hostFolders = {QDir::cleanPath(QDir::tempPath())};
    const QString machine = qEnvironmentVariable("HUSHDECK_MACHINE");
    if (!machine.isEmpty())
        hostFolders << QDir::cleanPath(QDir(machine).absolutePath());
    auto check = [&](QWidget *w, const QString &text) {
        if (LayoutChecks::showsHostPath(text, hostFolders))
            note(shot, w, text, QStringLiteral("shows a host path"));
    };
    QList<QWidget *> widgets = top->findChildren<QWidget *>();
    widgets.prepend(top);
    check(top, top->windowTitle());
    for (QWidget *w : std::as_const(widgets)) {
        if (!w->isVisible())
            continue;
        if (auto *label = qobject_cast<QLabel *>(w))
            check(w, label->text());
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            check(w, edit->text());
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            check(w, button->text());
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            check(w, combo->currentText());
        if (auto *view = qobject_cast<QAbstractItemView *>(w); view && view->model()) {
            // Every row a list shows, its children too: a few thousand at most on a tour.
            QList<QModelIndex> parents = {QModelIndex()};
            const QAbstractItemModel *model = view->model();
            for (int p = 0; p < parents.size() && p < 5000; ++p) {
                for (int r = 0; r < model->rowCount(parents.at(p)); ++r) {
                    for (int c = 0; c < model->columnCount(parents.at(p)); ++c)
                        check(w, model->index(r, c, parents.at(p)).data().toString());
                    if (model->hasChildren(model->index(r, 0, parents.at(p))))
                        parents << model->index(r, 0, parents.at(p));
                }
            }
        }
    }
}
