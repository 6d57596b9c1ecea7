// The folder browser. Every item carries its Windows path; a folder is listed (FindFirstFileW) when it is first
// expanded, on the dialog's own thread pool, and its names arrive in batches, so a big or slow folder never
// holds up the dialog. Object names (folderTree, folderEdit, makeNewFolderButton) and the "busy" property (true
// while anything is being listed or looked up) are there for tests that drive the dialog.
#include "linux/shell/folderbrowser.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QThreadPool>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <atomic>
#include <iterator>
#include <utility>

namespace {

QString caption()
{
    return QStringLiteral("Browse For Folder");
}

enum Role { PathRole = Qt::UserRole, StateRole, InsertRole, KindRole };
enum State { Unlisted, Listing, Listed };
enum Kind { FolderItem, ComputerItem, DriveItem, DesktopItem };

QString driveRoot(QChar letter)
{
    return QString(letter) + QStringLiteral(":\\");
}

QString childPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('\\')) ? folder + name : folder + QLatin1Char('\\') + name;
}

// "Windows (C:)", or the name Windows gives a drive without a label.
QString driveName(QChar letter)
{
    const QString root = driveRoot(letter);
    WCHAR label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(wstr(root), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
        label[0] = 0;
    QString name = fromWide(label, MAX_PATH + 1);
    if (name.isEmpty()) {
        switch (GetDriveTypeW(wstr(root))) {
        case DRIVE_REMOVABLE:
            name = QStringLiteral("USB Drive");
            break;
        case DRIVE_CDROM:
            name = QStringLiteral("CD Drive");
            break;
        case DRIVE_REMOTE:
            name = QStringLiteral("Network Drive");
            break;
        default:
            name = QStringLiteral("Local Disk");
            break;
        }
    }
    return name + QStringLiteral(" (") + letter + QStringLiteral(":)");
}

// Which folders Explorer shows, from its own settings: hidden ones only when "Hidden" is 1, and those that are
// hidden and system (the protected ones) only when "ShowSuperHidden" is 1 too.
struct Visibility
{
    bool hidden = false;
    bool protectedOnes = false;
};

Visibility explorerVisibility()
{
    const auto value = [](LPCWSTR name) {
        DWORD data = 0, size = sizeof(data);
        if (RegGetValueW(HKEY_CURRENT_USER, WSTR("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"),
                         name, RRF_RT_REG_DWORD, nullptr, &data, &size) != ERROR_SUCCESS)
            return DWORD(0);
        return data;
    };
    Visibility v;
    v.hidden = value(WSTR("Hidden")) == 1;
    v.protectedOnes = v.hidden && value(WSTR("ShowSuperHidden")) == 1;
    return v;
}

bool shown(DWORD attributes, const Visibility &v)
{
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if (!(attributes & FILE_ATTRIBUTE_HIDDEN))
        return true;
    return (attributes & FILE_ATTRIBUTE_SYSTEM) ? v.protectedOnes : v.hidden;
}

struct Entry
{
    QString name;
    QString path;
};

// Lists what an item holds, handing over batches as they come (the last one with done set). Runs on a worker.
template <typename Post>
void listFolder(const QString &folder, const Visibility &v, const std::atomic<bool> &stop, Post post)
{
    QList<Entry> batch;
    WIN32_FIND_DATAW data;
    const QString pattern = childPath(folder, QStringLiteral("*"));
    HANDLE find = FindFirstFileW(wstr(pattern), &data);
    if (find != INVALID_HANDLE_VALUE) {
        QElapsedTimer since;
        since.start();
        do {
            const QString name = fromWide(data.cFileName, MAX_PATH);
            if (name == QLatin1String(".") || name == QLatin1String("..") || !shown(data.dwFileAttributes, v))
                continue;
            batch.append({name, childPath(folder, name)});
            if (batch.size() >= 512 || since.elapsed() > 100) {
                post(std::exchange(batch, {}), false);
                since.restart();
            }
        } while (!stop && FindNextFileW(find, &data));
        FindClose(find);
    }
    post(std::move(batch), true);
}

template <typename Post> void listDrives(Post post)
{
    WCHAR buffer[26 * 4 + 2] = {};
    const DWORD length = GetLogicalDriveStringsW(DWORD(std::size(buffer)), buffer);
    QList<Entry> drives;
    for (const WCHAR *p = buffer; length < std::size(buffer) && *p; p += fromWide(p).size() + 1) {
        const QChar letter = QChar(p[0]).toUpper();
        drives.append({driveName(letter), driveRoot(letter)});
    }
    post(std::move(drives), true);
}

// The folder a typed or given path names, each name spelled as its entry is ("C:" first), or nothing when it
// names no folder. A relative path is taken from the folder base, as the dialog takes a name typed below the
// selected folder.
QStringList resolveFolder(const QString &text, const QString &base)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QChar letter;
    QString rest;
    const auto drivePath = [](const QString &p) {
        return p.size() >= 2 && p.at(1) == QLatin1Char(':') && p.at(0).unicode() < 128 && p.at(0).isLetter();
    };
    if (drivePath(t)) {
        letter = t.at(0).toUpper();
        rest = t.mid(2);
    } else if (t.startsWith(QLatin1String("\\\\")) || !drivePath(base)) {
        return {}; // a network path, or nothing to take a relative one from
    } else {
        letter = base.at(0).toUpper();
        rest = t.startsWith(QLatin1Char('\\')) ? t : base.mid(2) + QLatin1Char('\\') + t;
    }
    QStringList names;
    for (const QString &part : rest.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("..") && !names.isEmpty())
            names.removeLast();
        else if (part != QLatin1String("..") && part != QLatin1String("."))
            names << part;
    }
    const UINT type = GetDriveTypeW(wstr(driveRoot(letter)));
    if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN)
        return {};
    QStringList out{QString(letter) + QLatin1Char(':')};
    QString at = driveRoot(letter);
    for (const QString &name : std::as_const(names)) {
        if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')))
            return {};
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(wstr(at + name), &data);
        if (find == INVALID_HANDLE_VALUE)
            return {};
        FindClose(find);
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return {};
        const QString real = fromWide(data.cFileName, MAX_PATH);
        out << real;
        at += real + QLatin1Char('\\');
    }
    return out;
}

QString joinPath(const QStringList &parts)
{
    return parts.size() == 1 ? parts.first() + QLatin1Char('\\') : parts.join(QLatin1Char('\\'));
}

class BrowseDialog : public QDialog
{
public:
    BrowseDialog(HWND owner, const QString &title, const QString &start, UINT flags);
    ~BrowseDialog() override
    {
        stop = true;
        pool.waitForDone();
    }

    folderbrowser::Answer answer;

    // Closed: the listings stop now, not when the dialog goes.
    void done(int result) override
    {
        stop = true;
        QDialog::done(result);
    }

private:
    // path may be null for a folder whose path is its parent's and its name.
    QTreeWidgetItem *makeItem(const QString &text, const QString &path, Kind kind);
    QString pathOf(const QTreeWidgetItem *item) const;
    void list(QTreeWidgetItem *item);
    void merge(QTreeWidgetItem *item, const QList<Entry> &entries, bool done);
    void place(QTreeWidgetItem *parent, QTreeWidgetItem *child);
    void applyStart();
    void selectionChanged();
    void okPressed();
    void makeNewFolder();
    void renamed(QTreeWidgetItem *item);
    void message(const QString &text);
    void changeBusy(int by);
    template <typename F> void later(F f) { QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection); }

    HWND owner;
    QIcon icons[4];
    Visibility visibility = explorerVisibility();
    QTreeWidget *tree = nullptr;
    QLineEdit *edit = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *newFolderButton = nullptr;
    QTreeWidgetItem *desktop = nullptr;
    QTreeWidgetItem *computer = nullptr;
    // Items placed in a folder before its listing reached them (the start folder's chain, a new folder), by
    // lower-cased path: the listing finds them there instead of adding them twice.
    QHash<QTreeWidgetItem *, QHash<QString, QTreeWidgetItem *>> placed;
    QStringList startChain; // the start folder, waiting for This PC's drives
    bool startPending = false;
    bool working = false; // a typed path is being looked up
    int busy = 0;
    std::atomic<bool> stop{false};
    QThreadPool pool;
};

BrowseDialog::BrowseDialog(HWND owner, const QString &title, const QString &start, UINT flags) : owner(owner)
{
    setObjectName(QStringLiteral("BrowseForFolderDialog"));
    const QStyle::StandardPixmap kinds[] = {QStyle::SP_DirIcon, QStyle::SP_ComputerIcon, QStyle::SP_DriveHDIcon,
                                            QStyle::SP_DesktopIcon};
    for (int k = 0; k < 4; ++k)
        icons[k] = style()->standardIcon(kinds[k]);
    setWindowTitle(caption());
    setProperty("busy", false);
    resize(340, 420);
    auto *layout = new QVBoxLayout(this);
    if (!title.isEmpty()) {
        auto *label = new QLabel(title, this);
        label->setObjectName(QStringLiteral("titleLabel"));
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
    }
    tree = new QTreeWidget(this);
    tree->setObjectName(QStringLiteral("folderTree"));
    tree->setHeaderHidden(true);
    tree->setUniformRowHeights(true);
    layout->addWidget(tree, 1);
    if (flags & BIF_EDITBOX) {
        auto *row = new QHBoxLayout;
        auto *label = new QLabel(QStringLiteral("Folder:"), this);
        edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("folderEdit"));
        label->setBuddy(edit);
        row->addWidget(label);
        row->addWidget(edit, 1);
        layout->addLayout(row);
        connect(edit, &QLineEdit::textEdited, this, [this] { selectionChanged(); });
    }
    auto *buttons = new QHBoxLayout;
    if (flags & BIF_NEWDIALOGSTYLE) {
        newFolderButton = new QPushButton(QStringLiteral("&Make New Folder"), this);
        newFolderButton->setObjectName(QStringLiteral("makeNewFolderButton"));
        newFolderButton->setAutoDefault(false);
        buttons->addWidget(newFolderButton);
        connect(newFolderButton, &QPushButton::clicked, this, [this] { makeNewFolder(); });
    }
    buttons->addStretch(1);
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton = box->button(QDialogButtonBox::Ok);
    buttons->addWidget(box);
    layout->addLayout(buttons);
    connect(box, &QDialogButtonBox::accepted, this, [this] { okPressed(); });
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

    WCHAR desktopPath[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktopPath);
    desktop = makeItem(QStringLiteral("Desktop"), fromWide(desktopPath, MAX_PATH), DesktopItem);
    computer = makeItem(QStringLiteral("This PC"), QString(), ComputerItem);
    desktop->addChild(computer);
    desktop->setData(0, InsertRole, 1); // the Desktop's folders follow This PC
    tree->addTopLevelItem(desktop);
    connect(tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        if (item->data(0, StateRole).toInt() == Unlisted)
            list(item);
    });
    connect(tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (edit && item)
            edit->setText(item->text(0));
        selectionChanged();
    });
    connect(tree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item) { renamed(item); });
    tree->expandItem(desktop);
    list(computer); // the drives, to find the start folder's and to show them at once when This PC opens
    tree->setCurrentItem(desktop);

    if (!start.isEmpty()) {
        startPending = true;
        changeBusy(1);
        pool.start([this, start] {
            QStringList chain = resolveFolder(start, QString());
            later([this, chain = std::move(chain)] {
                startChain = chain;
                startPending = false;
                applyStart();
                changeBusy(-1);
            });
        });
    }
}

QTreeWidgetItem *BrowseDialog::makeItem(const QString &text, const QString &path, Kind kind)
{
    // One icon per kind, shared by every item of it: an icon looked up per item costs its pixmaps per item.
    auto *item = new QTreeWidgetItem(QStringList{text});
    item->setIcon(0, icons[kind]);
    if (kind != FolderItem || !path.isNull())
        item->setData(0, PathRole, path);
    // Unlisted, inserting at 0 and a plain folder are what an item without these says, and a listed folder's
    // path is its parent's and its name: a folder among thousands carries only its name and icon.
    if (kind != FolderItem)
        item->setData(0, KindRole, kind);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

QString BrowseDialog::pathOf(const QTreeWidgetItem *item) const
{
    const QVariant path = item->data(0, PathRole);
    if (path.isValid() || !item->parent())
        return path.toString();
    return childPath(pathOf(item->parent()), item->text(0));
}

void BrowseDialog::changeBusy(int by)
{
    busy += by;
    setProperty("busy", busy > 0);
}

void BrowseDialog::list(QTreeWidgetItem *item)
{
    item->setData(0, StateRole, Listing);
    changeBusy(1);
    const QString path = pathOf(item);
    const bool drives = item == computer;
    const Visibility v = visibility;
    pool.start([this, item, path, drives, v] {
        auto post = [this, item](QList<Entry> entries, bool done) {
            later([this, item, entries = std::move(entries), done] { merge(item, entries, done); });
        };
        if (drives)
            listDrives(post);
        else
            listFolder(path, v, stop, post);
    });
}

void BrowseDialog::merge(QTreeWidgetItem *item, const QList<Entry> &entries, bool done)
{
    QHash<QString, QTreeWidgetItem *> &own = placed[item];
    int at = item->data(0, InsertRole).toInt();
    QList<QTreeWidgetItem *> run;
    const Kind kind = item == computer ? DriveItem : FolderItem;
    const auto flush = [&] {
        if (run.isEmpty())
            return;
        item->insertChildren(at, run);
        at += int(run.size());
        run.clear();
    };
    for (const Entry &e : entries) {
        if (QTreeWidgetItem *there = own.take(e.path.toLower())) {
            flush();
            at = item->indexOfChild(there) + 1;
        } else {
            run.append(makeItem(e.name, kind == FolderItem ? QString() : e.path, kind));
        }
    }
    flush();
    item->setData(0, InsertRole, at);
    if (!done)
        return;
    placed.remove(item);
    item->setData(0, StateRole, Listed);
    if (item->childCount() == 0)
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    if (item == computer)
        applyStart();
    changeBusy(-1);
}

// A folder put into its parent ahead of the parent's listing, or after it (in the listing's order).
void BrowseDialog::place(QTreeWidgetItem *parent, QTreeWidgetItem *child)
{
    if (parent->data(0, StateRole).toInt() != Listed) {
        placed[parent].insert(pathOf(child).toLower(), child);
        parent->addChild(child);
        return;
    }
    int at = parent == desktop ? 1 : 0;
    while (at < parent->childCount() && parent->child(at)->text(0).compare(child->text(0), Qt::CaseInsensitive) < 0)
        ++at;
    parent->insertChild(at, child);
}

// Opens the tree down to the start folder and selects it, once the drives are known.
void BrowseDialog::applyStart()
{
    if (startPending || startChain.isEmpty() || computer->data(0, StateRole).toInt() != Listed)
        return;
    const QStringList chain = std::exchange(startChain, {});
    tree->expandItem(computer);
    QTreeWidgetItem *item = nullptr;
    const QString root = driveRoot(chain.first().at(0));
    for (int i = 0; i < computer->childCount() && !item; ++i)
        if (pathOf(computer->child(i)) == root)
            item = computer->child(i);
    if (!item)
        return;
    for (qsizetype i = 1; i < chain.size(); ++i) {
        tree->expandItem(item);
        const QString path = childPath(pathOf(item), chain.at(i));
        QTreeWidgetItem *next = nullptr;
        for (int c = 0; c < item->childCount() && !next; ++c)
            if (pathOf(item->child(c)).compare(path, Qt::CaseInsensitive) == 0)
                next = item->child(c);
        if (!next) {
            // Not listed yet, or not shown (a hidden folder the caller asked for): it is shown as the selection.
            next = makeItem(chain.at(i), path, FolderItem);
            place(item, next);
        }
        item = next;
    }
    tree->setCurrentItem(item);
    tree->scrollToItem(item);
}

void BrowseDialog::selectionChanged()
{
    QTreeWidgetItem *current = tree->currentItem();
    const bool folder = current && !pathOf(current).isEmpty();
    const bool typed = edit && current && edit->text() != current->text(0) && !edit->text().trimmed().isEmpty();
    okButton->setEnabled(!working && (folder || typed));
    if (newFolderButton)
        newFolderButton->setEnabled(!working && folder);
    if (edit)
        edit->setEnabled(!working);
}

void BrowseDialog::okPressed()
{
    QTreeWidgetItem *current = tree->currentItem();
    const QString base = current ? pathOf(current) : QString();
    const QString typed = edit ? edit->text() : QString();
    if (!edit || !current || typed == current->text(0) || typed.trimmed().isEmpty()) {
        if (!base.isEmpty()) {
            answer = {base, current->text(0)};
            accept();
        }
        return;
    }
    // A typed path is looked up as every path is, off the GUI thread; the dialog waits for it.
    working = true;
    selectionChanged();
    changeBusy(1);
    pool.start([this, typed, base] {
        const QStringList parts = resolveFolder(typed, base);
        const QString path = parts.isEmpty() ? QString() : joinPath(parts);
        const QString name = parts.isEmpty() ? QString() : folderbrowser::displayName(path);
        later([this, typed, path, name] {
            working = false;
            selectionChanged();
            changeBusy(-1);
            if (!path.isEmpty()) {
                answer = {path, name};
                accept();
                return;
            }
            // The dialog stays: a mistyped path never stands for another folder (the selected one).
            message(QStringLiteral("The folder \"%1\" does not exist.").arg(typed.trimmed()));
            edit->setFocus();
            edit->selectAll();
        });
    });
}

void BrowseDialog::message(const QString &text)
{
    const QString title = caption();
    MessageBoxW(owner, wstr(text), wstr(title), MB_OK | MB_ICONERROR);
}

// "New folder" (or "New folder (2)", ...) in the selected folder, selected and named in place, as Windows does.
void BrowseDialog::makeNewFolder()
{
    QTreeWidgetItem *parent = tree->currentItem();
    const QString folder = parent ? pathOf(parent) : QString();
    if (folder.isEmpty())
        return;
    QString name, path;
    bool made = false;
    for (int n = 1; n <= 100 && !made; ++n) {
        name = n == 1 ? QStringLiteral("New folder") : QStringLiteral("New folder (%1)").arg(n);
        path = childPath(folder, name);
        made = CreateDirectoryW(wstr(path), nullptr);
        if (!made && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    if (!made) {
        message(QStringLiteral("The new folder could not be made in \"%1\".").arg(folder));
        return;
    }
    QTreeWidgetItem *item = makeItem(name, path, FolderItem);
    item->setData(0, StateRole, Listed);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    place(parent, item);
    tree->expandItem(parent);
    tree->setCurrentItem(item);
    tree->editItem(item);
}

// A new folder's name edited in the tree: the folder is renamed, or the item shows its name again.
void BrowseDialog::renamed(QTreeWidgetItem *item)
{
    const QString path = pathOf(item);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('\\'));
    const QString name = item->text(0).trimmed();
    if (!(item->flags() & Qt::ItemIsEditable) || slash < 0 || name == path.mid(slash + 1))
        return;
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    bool valid = !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..");
    for (QChar c : name)
        valid &= !forbidden.contains(c) && c.unicode() >= 32;
    const QString renamedPath = path.left(slash + 1) + name;
    if (valid && MoveFileW(wstr(path), wstr(renamedPath))) {
        QTreeWidgetItem *parent = item->parent();
        if (parent && placed.contains(parent) && placed[parent].remove(path.toLower()))
            placed[parent].insert(renamedPath.toLower(), item);
        item->setData(0, PathRole, renamedPath);
        item->setText(0, name);
    } else {
        item->setText(0, path.mid(slash + 1));
        message(QStringLiteral("The folder could not be renamed to \"%1\".").arg(name));
    }
    if (edit && item == tree->currentItem())
        edit->setText(item->text(0));
}

} // namespace

namespace folderbrowser {

Answer run(HWND owner, const QString &title, const QString &start, UINT flags)
{
    BrowseDialog dialog(owner, title, start, flags);
    dialog.exec();
    return dialog.answer;
}

QString displayName(const QString &windowsPath)
{
    QString path = windowsPath;
    if (path.size() >= 2 && path.size() <= 3 && path.at(1) == QLatin1Char(':'))
        return driveName(path.at(0).toUpper());
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

} // namespace folderbrowser
