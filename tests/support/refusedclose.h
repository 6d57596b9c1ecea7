// A close of the real main window that a busy page holds back and that is then refused after all: the
// first close finds the page busy (the save question answered No) and asks it to stop; the second, which
// the page asks for when its work has ended, saves, and the save fails (no backup can be written and the
// user keeps the changes pending). The program runs on, and the page must be fit for its next work.
#pragma once

#include "hushdeckform.h"
#include "krutils.h"
#include "mainwindow.h"
#include "testmachine.h"

#include <QDir>
#include <QFile>
#include <QToolButton>
#include <QtTest>

// Opens the catalogue with a pending change and scripts the answers; the test opens its page after this.
inline bool prepareRefusedClose(MainWindow &w, TestMachine &m)
{
    w.findChild<QToolButton *>(QStringLiteral("hushdeckButton"))->click();
    auto *catalog = static_cast<HushdeckForm *>(w.modulePage(MainWindow::HushdeckPage));
    KRGlobal::SettingsData change;
    change.index = 402;
    change.desc = QStringLiteral("A change that cannot be saved");
    catalog->settingChangeList << change;
    catalog->saveAction->setEnabled(true);
    // A file where the backup folder belongs: no backup can be written.
    const QString folder = hostPath(KRUtils().backupFolder());
    QDir(folder).removeRecursively();
    QFile file(folder);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    m.answerMessageBox(QStringLiteral("IDNO"));  // first close: not now
    m.answerMessageBox(QStringLiteral("IDYES")); // second close: save
    m.answerMessageBox(QStringLiteral("IDNO"));  // no backup: keep the changes, and the window
    m.answerMessageBox(QStringLiteral("IDNO"));  // a third close, asked by mistake, would go through
    return true;
}

// The close was asked twice and refused: the window and the page on view are back.
inline bool closeWasRefused(MainWindow &w, QWidget *page, TestMachine &m)
{
    return QTest::qWaitFor([&] { return page->isVisible(); }, 5000) && w.isVisible() &&
           m.logged(QStringLiteral("MessageBox")).size() == 3;
}
