#include "misctoolsform.h"

#include "autodarkmodeform.h"
#include "autowallpaperchangerform.h"
#include "trackcleanerform.h"
#include "transparenttaskbarmoduleform.h"
#include "troubleshooterform.h"

#include <QDebug>
#include <QTabWidget>
#include <QVBoxLayout>

MiscToolsForm::MiscToolsForm(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Form"));
    auto *layout = new QVBoxLayout(this);
    // The tab bar starts at the page's top: below it the tallest tab needs every pixel of the smallest window.
    layout->setContentsMargins(9, 0, 9, 9);
    tabWidget = new QTabWidget(this);
    tabWidget->setObjectName(QStringLiteral("tabWidget"));
    layout->addWidget(tabWidget);

    // The loads run in this order: each may start the helper or post to it, as the pages' own loads do.
    autoDarkMode = new AutoDarkModeForm(tabWidget);
    transparentTaskbar = new TransparentTaskbarModuleForm(tabWidget);
    // The preview is fetched when the tab is turned to, not now.
    wallpaperChanger = new AutoWallpaperChangerForm(tabWidget, true);
    trackCleaner = new TrackCleanerForm(tabWidget, true);
    otherTools = new TroubleshooterForm(tabWidget);

    autoDarkMode->setObjectName(QStringLiteral("tab"));
    wallpaperChanger->setObjectName(QStringLiteral("tab_4"));
    trackCleaner->setObjectName(QStringLiteral("tab_5"));
    transparentTaskbar->setObjectName(QStringLiteral("tab_2"));
    otherTools->setObjectName(QStringLiteral("tab_3"));
    tabWidget->addTab(autoDarkMode, QStringLiteral("Auto Dark Mode"));
    tabWidget->addTab(wallpaperChanger, QStringLiteral("Auto Wallpaper Changer"));
    tabWidget->addTab(trackCleaner, QStringLiteral("Track Cleaner"));
    tabWidget->addTab(transparentTaskbar, QStringLiteral("Transparent Taskbar"));
    tabWidget->addTab(otherTools, QStringLiteral("Other Tools"));
    tabWidget->setCurrentIndex(0);
    QMetaObject::connectSlotsByName(this);
}

// The tab pages are children: each stops its own threads and waits for them as it goes (the wallpaper
// download, the trace analysis and clearing), so that none outlives the lists it writes into.
MiscToolsForm::~MiscToolsForm() = default;

void MiscToolsForm::on_tabWidget_currentChanged(int index)
{
    if (index != 1)
        return;
    qDebug() << "Wallpaper Changer";
    wallpaperChanger->startImageDownload();
}
