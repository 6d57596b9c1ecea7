// The Auto Wallpaper Changer module page: the helper's daily-wallpaper settings, and a preview of the image
// archive's last eight days that can be set as the wallpaper at once.
#pragma once

#include <QStringList>
#include <QWidget>

class LoadWallpaperThread;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QToolButton;

// Makes an image file the wallpaper of every monitor; an empty path changes nothing.
void setDesktopWallpaper(const QString &path);

class AutoWallpaperChangerForm : public QWidget
{
    Q_OBJECT

public:
    // miscTab: the page serves as a tab of Miscellaneous Tools, which fetches the preview when the tab is
    // turned to (startImageDownload) rather than at construction, and whose Reload does nothing.
    explicit AutoWallpaperChangerForm(QWidget *parent = nullptr, bool miscTab = false);
    ~AutoWallpaperChangerForm() override;

    // Work that outlasts a close request: the main window reads this flag and asks the page to stop.
    bool downloadRunning = false;
    bool closePending = false;
    void requestClose();
    void startImageDownload();

    QAction *saveAction = nullptr;

signals:
    void closeApp();

private slots:
    void OnSaveWallpaperChanger(bool checked);
    void onDownloadComplete();
    void onLoadWallpaperProcessFinish();
    void onDownloadFail();
    void onShowDesc(const QString &copyright);
    void on_wallpaperChangerComboBox_currentIndexChanged(int index);
    void on_wallpaperChangerTimeSpinBox_valueChanged(int);
    void on_wallpaperChangerTimeComboBox_currentIndexChanged(int index);
    void on_wallpaperChangerRegionComboBox_currentIndexChanged(int index);
    void on_wallpaperChangerBackToolButton_clicked();
    void on_wallpaperChangerNextToolButton_clicked();
    void on_wallpaperChangerImageButton_clicked();
    void on_wallpaperChangerImageReloadButton_clicked();

private:
    void buildWidgets();
    void loadSettings();
    void setMarket(int region);
    void buildImageUrls(const QString &market);

    QLabel *wallpaperChangerDescLabel;
    QComboBox *wallpaperChangerComboBox;
    QGroupBox *wallpaperChangerSourceGroupBox;
    QLabel *wallpaperChangerSourceSourceLabel;
    QComboBox *wallpaperChangerSourceComboBox;
    QLabel *wallpaperChangerSourceRegionLabel;
    QComboBox *wallpaperChangerRegionComboBox;
    QGroupBox *wallpaperChangerScheduleGroupBox;
    QLabel *wallpaperChangerTimeTitle;
    QSpinBox *wallpaperChangerTimeSpinBox;
    QComboBox *wallpaperChangerTimeComboBox;
    QToolButton *wallpaperChangerBackToolButton;
    QLabel *wallpaperChangerImage;
    QToolButton *wallpaperChangerNextToolButton;
    QPushButton *wallpaperChangerImageButton;
    QPushButton *wallpaperChangerImageReloadButton;
    QLabel *wallpaperChangerImageLabel;
    QLabel *wallpaperChangerImageLabel2;

    const bool miscTab;
    bool pageLoaded = false;
    QStringList imageUrls;
    int imageIndex = 0;
    // The day index of the running download, and of the image the preview shows (-1: none yet).
    int downloadIndex = 0;
    int shownIndex = -1;
    // The download file holds the picture on view (it is only ever replaced by a complete picture).
    bool imageReady = false;
    LoadWallpaperThread *loadThread = nullptr;
};
