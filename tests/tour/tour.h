// A walk through every page and dialog of the main window, for people checking the layout: each one is saved
// as <dir>/<size>-<name>.png, and texts that do not fit their widget or still read as designer placeholders,
// list cells cut short beside room, placeholder pictures and pages or dialogs larger than the window are listed
// in <dir>/tour-report.txt. The developer program HushdeckTour runs it after Hushdeck's own start-up; the
// program users get has none of it.
#pragma once

#include <QList>
#include <QSet>
#include <QSize>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class MainWindow;
class QDialog;
class QImage;
class QTemporaryDir;
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

private:
    void walk();
    void walkTabs(QWidget *root, const QString &name);
    void walkSettingPages(QWidget *tab, const QString &name);
    void walkDialogs();
    // The pages that list a scan's results, each with a large result set.
    void walkResults();
    void noteMissing(const QString &name);
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
    QHash<qint64, bool> cards;                 // placeholder verdicts by picture
    std::shared_ptr<QTemporaryDir> resultTree; // the folder the result pages scan, made once
};
