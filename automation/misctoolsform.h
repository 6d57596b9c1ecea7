// The Miscellaneous Tools module page: five tools on the tabs of one tab widget, each tab being the module
// page it repeats (Auto Dark Mode, Auto Wallpaper Changer, Track Cleaner, Transparent Taskbar and the
// Troubleshooter), with the few differences a tab has.
#pragma once

#include <QWidget>

class AutoDarkModeForm;
class AutoWallpaperChangerForm;
class QTabWidget;
class TrackCleanerForm;
class TransparentTaskbarModuleForm;
class TroubleshooterForm;

class MiscToolsForm : public QWidget
{
    Q_OBJECT

public:
    explicit MiscToolsForm(QWidget *parent = nullptr);
    ~MiscToolsForm() override;

    QTabWidget *tabWidget;
    AutoDarkModeForm *autoDarkMode;
    AutoWallpaperChangerForm *wallpaperChanger;
    TrackCleanerForm *trackCleaner;
    TransparentTaskbarModuleForm *transparentTaskbar;
    TroubleshooterForm *otherTools;

signals:
    // Declared for the main window's connection; this page has no close-time work and never emits it.
    void closeApp();

private slots:
    void on_tabWidget_currentChanged(int index);
};
