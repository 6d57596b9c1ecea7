// Runs a dialog from the main window's toolbar as the user does: triggers the action, which returns only
// when the dialog's modal run ends. While it runs, `inspect` gets the dialog and must end the run.
#pragma once

#include "mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QToolBar>

template <typename Dialog> struct ToolbarRun
{
    bool ran = false;   // the action ran a dialog of this kind
    bool modal = false; // modal, with the main window as parent
    QPointer<Dialog> dialog;
};

template <typename Dialog, typename Inspect>
ToolbarRun<Dialog> runFromToolbar(MainWindow &w, const QString &actionText, Inspect inspect)
{
    ToolbarRun<Dialog> run;
    QAction *action = nullptr;
    for (QAction *a : w.findChild<QToolBar *>(QStringLiteral("toolbar"))->actions())
        if (a->text() == actionText)
            action = a;
    if (!action)
        return run;
    QTimer::singleShot(0, &w, [&] {
        QWidget *shown = QApplication::activeModalWidget();
        auto *d = qobject_cast<Dialog *>(shown);
        if (!d) {
            if (shown)
                shown->close();
            return;
        }
        run.ran = true;
        run.modal = d->isModal() && d->parentWidget() == &w;
        run.dialog = d;
        inspect(d);
    });
    action->trigger();
    return run;
}
