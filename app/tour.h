// A walk through every page and dialog of the main window, for people checking the layout: each one is saved
// as <dir>/<size>-<name>.png, and texts that do not fit their widget or still read as designer placeholders are
// listed in <dir>/tour-report.txt. Started by HUSHDECK_TOUR=<dir> (sizes from HUSHDECK_TOUR_SIZES); nothing of
// it runs otherwise.
#pragma once

#include <QList>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class MainWindow;
class QDialog;
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

    MainWindow *window;
    QString dir;
    QString sizeName;
    int shots = 0;
    bool failed = false;
    QStringList report;
    QSet<QString> reported;
};
