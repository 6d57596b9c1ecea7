// Answering the folder browser's own dialog (what SHBrowseForFolderW shows when no answer is scripted) from a
// test, as a user would: typing a path into its edit box, pressing its buttons.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

// What the dialog showed once its start folder was selected.
struct FolderBrowserSeen
{
    QString caption;
    QString title;         // the text above the tree
    QStringList selection; // the items from the tree's root down to the selected one
    QStringList siblings;  // the selected item's parent's items
    QStringList drives;    // This PC's items
    QString edit;          // the edit box's text
    bool makeNewFolder = false;
};

// Steps for the next folder browser, each taken once the dialog is idle (nothing being listed or looked up):
// a path is typed into the edit box and OK pressed; "" presses OK as the dialog stands; "<new>" presses
// Make New Folder; a null QString presses Cancel. seen, when given, gets what the dialog showed before the
// first step. A dialog that is not the folder browser, or one that never settles, is closed after a while, so that
// the test fails on what it finds instead of waiting for ever.
inline void driveFolderBrowser(QStringList steps, FolderBrowserSeen *seen = nullptr)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(timer, &QTimer::timeout, [timer, steps, seen, waited]() mutable {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (waited.hasExpired(20000)) {
            timer->stop();
            timer->deleteLater();
            if (d)
                d->reject();
            return;
        }
        if (!d || d->objectName() != QLatin1String("BrowseForFolderDialog") || d->property("busy").toBool())
            return;
        waited.restart();
        auto *tree = d->findChild<QTreeWidget *>(QStringLiteral("folderTree"));
        auto *edit = d->findChild<QLineEdit *>(QStringLiteral("folderEdit"));
        auto *newFolder = d->findChild<QPushButton *>(QStringLiteral("makeNewFolderButton"));
        if (seen) {
            seen->caption = d->windowTitle();
            if (auto *label = d->findChild<QLabel *>(QStringLiteral("titleLabel")))
                seen->title = label->text();
            for (QTreeWidgetItem *i = tree->currentItem(); i; i = i->parent())
                seen->selection.prepend(i->text(0));
            if (QTreeWidgetItem *parent = tree->currentItem() ? tree->currentItem()->parent() : nullptr)
                for (int c = 0; c < parent->childCount(); ++c)
                    seen->siblings << parent->child(c)->text(0);
            QTreeWidgetItem *computer = tree->topLevelItem(0)->child(0);
            for (int c = 0; c < computer->childCount(); ++c)
                seen->drives << computer->child(c)->text(0);
            seen->edit = edit ? edit->text() : QString();
            seen->makeNewFolder = newFolder != nullptr;
            seen = nullptr;
        }
        const QString step = steps.isEmpty() ? QString() : steps.takeFirst();
        if (steps.isEmpty()) {
            timer->stop();
            timer->deleteLater();
        }
        if (step.isNull()) {
            d->reject();
        } else if (step == QLatin1String("<new>")) {
            newFolder->click();
        } else {
            if (!step.isEmpty()) {
                edit->selectAll();
                QTest::keyClicks(edit, step);
            }
            d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        }
    });
    timer->start();
}
