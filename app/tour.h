// A walk through every page and dialog of the main window, for people checking the layout: each one is saved
// as <dir>/<size>-<name>.png, and texts that do not fit their widget or still read as designer placeholders,
// list cells cut short beside room, placeholder pictures and pages or dialogs larger than the window are listed
// in <dir>/tour-report.txt. Started by HUSHDECK_TOUR=<dir> (sizes from HUSHDECK_TOUR_SIZES); nothing of
// it runs otherwise.
#pragma once

#include <QList>
#include <QSet>
#include <QSize>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

class MainWindow;
class QDialog;
class QImage;
class QTreeView;
class QWidget;

class Tour
{
public:
    Tour(MainWindow *window, const QString &dir);

    // Walks everything once per window size; false when a picture or the report could not be written.
    bool run(const QList<QSize> &sizes);

    int shotCount() const { return shots; }
    // The report's lines: one per widget whose text does not fit or reads as a placeholder.
    const QStringList &findings() const { return report; }

    // "1024x640,1400x900"; entries that are not a size are left out.
    static QList<QSize> parseSizes(const QString &text);
    // Whether a text is one the form designer puts in new widgets, left in place.
    static bool isPlaceholder(const QString &text);
    // Whether a picture is a blank card with a title where a drawing belongs: a frame along its edges around one
    // flat ground that covers nearly all of it.
    static bool isPlaceholderCard(const QImage &picture);
    // The cells of a view's shown rows cut short while the view has the room to show them whole (room no column
    // needs, in the view or beside the texts of other columns): the most cut one of each column.
    struct CutCell
    {
        QString column;
        QString text;
        int lacks; // pixels
        int room;  // pixels
    };
    static QList<CutCell> cellsCutBesideRoom(const QTreeView *view);
    // Whether a text shows a host path, which a user of the Windows program never sees: an absolute path with
    // "/" separators that has no drive letter, or the host spelling of one of hostFolders.
    static bool showsHostPath(const QString &text, const QStringList &hostFolders);

private:
    void walk();
    void walkTabs(QWidget *root, const QString &name);
    void walkSettingPages(QWidget *tab, const QString &name);
    void walkDialogs();
    // Runs open, which shows a modal dialog; the dialog is saved as name, inside runs while it is up (and may
    // answer it), and it is closed again if still open.
    void shootModal(const QString &name, const std::function<void()> &open,
                    const std::function<void(QDialog *)> &inside = {});
    void shoot(QWidget *w, const QString &name);
    void inspect(QWidget *top, const QString &name);
    void findHostPaths(QWidget *top, const QString &name);
    void note(const QString &shot, QWidget *w, const QString &text, const QString &what);
    // What the text checks do not see: pictures, list cells, and sizes beyond the window's.
    void inspectPicturesAndLists(QWidget *top, const QString &shot);
    void inspectSize(QWidget *top, const QString &shot);

    MainWindow *window;
    QString dir;
    QString sizeName;
    QSize size;
    int shots = 0;
    bool failed = false;
    QStringList report;
    QSet<QString> reported;
    QHash<qint64, bool> cards; // placeholder verdicts by picture
};
