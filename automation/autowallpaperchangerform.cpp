#include "autowallpaperchangerform.h"

#include "boundedtransfer.h"
#include "glasspanlink.h"
#include "glasspanmessages.h"
#include "krutils.h"
#include "loadwallpaperthread.h"

#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QDebug>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString DownloadingText = QStringLiteral("Downloading daily image from Microsoft Bing server...");
const QString NoImageText = QStringLiteral("The daily image could not be downloaded. Press Reload to try again.");
const QString WallpaperKey = QStringLiteral(HUSHDECK_SETTINGS_ROOT "\\WallpaperChanger");
const char *const Markets[] = {"en-US", "en-GB", "en-ES", "ja-JP", "it-IT", "hi-IN",
                               "fr-FR", "de-DE", "zh-CN", "en-CA", "en-AU"};
const int MarketCount = int(sizeof(Markets) / sizeof(Markets[0]));

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QToolButton *arrowButton(QWidget *parent, const char *name, const QString &icon)
{
    auto *button = named(new QToolButton(parent), name);
    button->setText(QStringLiteral("..."));
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(64, 64));
    button->setAutoRaise(true);
    return button;
}

} // namespace

void setDesktopWallpaper(const QString &path)
{
    if (path.isEmpty())
        return;
    CoInitialize(nullptr);
    IDesktopWallpaper *desktop = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_DesktopWallpaper, nullptr, CLSCTX_LOCAL_SERVER, IID_IDesktopWallpaper,
                                   reinterpret_cast<void **>(&desktop)))) {
        desktop->SetWallpaper(nullptr, wstr(path));
        desktop->Release();
    }
    CoUninitialize();
}

AutoWallpaperChangerForm::AutoWallpaperChangerForm(QWidget *parent, bool miscTab) : QWidget(parent), miscTab(miscTab)
{
    buildWidgets();
    QMetaObject::connectSlotsByName(this);
    wallpaperChangerComboBox->addItems({QStringLiteral("Disable"), QStringLiteral("Enable")});
    wallpaperChangerSourceComboBox->addItem(QStringLiteral("Bing daily image"));
    wallpaperChangerRegionComboBox->addItems(
        {QStringLiteral("United States"), QStringLiteral("United Kingdom"), QStringLiteral("Spain"),
         QStringLiteral("Japan"), QStringLiteral("Italy"), QStringLiteral("India"), QStringLiteral("France"),
         QStringLiteral("Germany"), QStringLiteral("China"), QStringLiteral("Canada"), QStringLiteral("Australia")});
    wallpaperChangerTimeComboBox->addItems({QStringLiteral("hour(s)"), QStringLiteral("days(s)")});
    wallpaperChangerImageLabel->clear();
    wallpaperChangerImageLabel2->clear();
    loadSettings();
    setMarket(wallpaperChangerRegionComboBox->currentIndex());
    saveAction->setEnabled(false);
    // Nothing to set before a preview has arrived.
    wallpaperChangerImageButton->setEnabled(false);
    if (!miscTab)
        startImageDownload();
    pageLoaded = true;
}

AutoWallpaperChangerForm::~AutoWallpaperChangerForm()
{
    if (loadThread) {
        loadThread->stopRequested = true;
        downloadAbortRequested = true;
        loadThread->wait();
    }
}

void AutoWallpaperChangerForm::buildWidgets()
{
    setWindowTitle(QStringLiteral("Form"));
    auto *layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignTop);
    saveAction =
        glasspanlink::addToolbar(this, layout, QStringLiteral("Save"), QStringLiteral(":/resources/images/Save24.png"));
    connect(saveAction, &QAction::triggered, this, &AutoWallpaperChangerForm::OnSaveWallpaperChanger);

    wallpaperChangerDescLabel = named(new QLabel(QStringLiteral("Automatically change desktop wallpaper to daily "
                                                                "(Micorosoft) Bing image at specified of time."),
                                                 this),
                                      "wallpaperChangerDescLabel");
    wallpaperChangerComboBox = named(new QComboBox(this), "wallpaperChangerComboBox");

    wallpaperChangerSourceGroupBox =
        named(new QGroupBox(QStringLiteral("Image Source"), this), "wallpaperChangerSourceGroupBox");
    wallpaperChangerSourceSourceLabel = named(new QLabel(QStringLiteral("Source"), wallpaperChangerSourceGroupBox),
                                              "wallpaperChangerSourceSourceLabel");
    wallpaperChangerSourceComboBox =
        named(new QComboBox(wallpaperChangerSourceGroupBox), "wallpaperChangerSourceComboBox");
    wallpaperChangerSourceRegionLabel =
        named(new QLabel(QStringLiteral("Select region:"), wallpaperChangerSourceGroupBox),
              "wallpaperChangerSourceRegionLabel");
    wallpaperChangerRegionComboBox =
        named(new QComboBox(wallpaperChangerSourceGroupBox), "wallpaperChangerRegionComboBox");
    auto *source = new QVBoxLayout(wallpaperChangerSourceGroupBox);
    auto *sourceRow = new QHBoxLayout;
    sourceRow->addWidget(wallpaperChangerSourceSourceLabel);
    sourceRow->addWidget(wallpaperChangerSourceComboBox);
    source->addLayout(sourceRow);
    auto *regionRow = new QHBoxLayout;
    regionRow->addWidget(wallpaperChangerSourceRegionLabel);
    regionRow->addWidget(wallpaperChangerRegionComboBox);
    source->addLayout(regionRow);

    wallpaperChangerScheduleGroupBox =
        named(new QGroupBox(QStringLiteral("Time Schedule"), this), "wallpaperChangerScheduleGroupBox");
    wallpaperChangerTimeTitle =
        named(new QLabel(QStringLiteral("Change wallpaper every"), wallpaperChangerScheduleGroupBox),
              "wallpaperChangerTimeTitle");
    wallpaperChangerTimeSpinBox = named(new QSpinBox(wallpaperChangerScheduleGroupBox), "wallpaperChangerTimeSpinBox");
    wallpaperChangerTimeSpinBox->setRange(1, 12);
    wallpaperChangerTimeComboBox =
        named(new QComboBox(wallpaperChangerScheduleGroupBox), "wallpaperChangerTimeComboBox");
    auto *schedule = new QHBoxLayout(wallpaperChangerScheduleGroupBox);
    schedule->setAlignment(Qt::AlignLeft);
    schedule->addWidget(wallpaperChangerTimeTitle);
    schedule->addWidget(wallpaperChangerTimeSpinBox);
    schedule->addWidget(wallpaperChangerTimeComboBox);

    wallpaperChangerBackToolButton =
        arrowButton(this, "wallpaperChangerBackToolButton", QStringLiteral(":/resources/images/Arrow Left.png"));
    wallpaperChangerNextToolButton =
        arrowButton(this, "wallpaperChangerNextToolButton", QStringLiteral(":/resources/images/Arrow Right.png"));
    wallpaperChangerImage = named(new QLabel(DownloadingText, this), "wallpaperChangerImage");
    wallpaperChangerImage->setFixedSize(300, 150);
    QFont font = wallpaperChangerImage->font();
    font.setPointSize(12);
    font.setBold(true);
    wallpaperChangerImage->setFont(font);
    wallpaperChangerImage->setFrameShape(QFrame::Box);
    wallpaperChangerImage->setFrameShadow(QFrame::Sunken);
    wallpaperChangerImage->setScaledContents(true);
    wallpaperChangerImage->setAlignment(Qt::AlignCenter);
    wallpaperChangerImage->setWordWrap(true);
    wallpaperChangerImageButton = named(new QPushButton(QStringLiteral("Set"), this), "wallpaperChangerImageButton");
    wallpaperChangerImageReloadButton =
        named(new QPushButton(QStringLiteral("Reload"), this), "wallpaperChangerImageReloadButton");
    wallpaperChangerImageLabel = named(new QLabel(this), "wallpaperChangerImageLabel");
    wallpaperChangerImageLabel->setAlignment(Qt::AlignCenter);
    wallpaperChangerImageLabel2 = named(new QLabel(this), "wallpaperChangerImageLabel2");
    wallpaperChangerImageLabel2->setAlignment(Qt::AlignCenter);
    wallpaperChangerImageLabel2->setWordWrap(true);
    // The archive's copyright line is text from the web: shown as it is, never read as markup.
    wallpaperChangerImageLabel2->setTextFormat(Qt::PlainText);

    layout->addWidget(wallpaperChangerDescLabel);
    layout->addWidget(wallpaperChangerComboBox);
    layout->addWidget(wallpaperChangerSourceGroupBox);
    layout->addWidget(wallpaperChangerScheduleGroupBox);
    layout->addSpacing(40);
    auto *preview = new QHBoxLayout;
    preview->addStretch();
    preview->addWidget(wallpaperChangerBackToolButton);
    auto *middle = new QVBoxLayout;
    middle->addWidget(wallpaperChangerImage);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(wallpaperChangerImageButton);
    buttons->addWidget(wallpaperChangerImageReloadButton);
    middle->addLayout(buttons);
    preview->addLayout(middle);
    preview->addWidget(wallpaperChangerNextToolButton);
    preview->addStretch();
    layout->addLayout(preview);
    layout->addWidget(wallpaperChangerImageLabel);
    layout->addWidget(wallpaperChangerImageLabel2);
}

void AutoWallpaperChangerForm::loadSettings()
{
    KRUtils utils;
    DWORD enabled = 0, timeIndex = 1, timePeriod = 0, source = 0, region = 0;
    utils.readRegDWORD(HKEY_CURRENT_USER, WallpaperKey, QStringLiteral("Enabled"), &enabled);
    utils.readRegDWORD(HKEY_CURRENT_USER, WallpaperKey, QStringLiteral("TimeIndex"), &timeIndex);
    utils.readRegDWORD(HKEY_CURRENT_USER, WallpaperKey, QStringLiteral("TimePeriod"), &timePeriod);
    utils.readRegDWORD(HKEY_CURRENT_USER, WallpaperKey, QStringLiteral("Source"), &source);
    utils.readRegDWORD(HKEY_CURRENT_USER, WallpaperKey, QStringLiteral("Region"), &region);
    wallpaperChangerComboBox->setCurrentIndex(enabled != 0 ? 1 : 0);
    // The slot of the first index does not run when the index stays 0.
    on_wallpaperChangerComboBox_currentIndexChanged(wallpaperChangerComboBox->currentIndex());
    // The spin box keeps the count within 1..12, so that Save stores what it shows.
    wallpaperChangerTimeSpinBox->setValue(int(qMin<DWORD>(timeIndex, 12)));
    wallpaperChangerTimeComboBox->setCurrentIndex(timePeriod != 0 ? 1 : 0);
    wallpaperChangerSourceComboBox->setCurrentIndex(0);
    // A region the table does not have is the first market, as the helper takes it.
    wallpaperChangerRegionComboBox->setCurrentIndex(region < DWORD(MarketCount) ? int(region) : 0);
    imageIndex = 0;
    if (wallpaperChangerComboBox->currentIndex() != 0)
        glasspanlink::switchOn(this, HELPER_MSG_WALLPAPER_ON, HELPER_MSG_WALLPAPER_RELOAD);
}

void AutoWallpaperChangerForm::setMarket(int region)
{
    if (region < 0 || region >= MarketCount)
        return;
    buildImageUrls(QLatin1String(Markets[region]));
}

void AutoWallpaperChangerForm::buildImageUrls(const QString &market)
{
    imageUrls.clear();
    for (int day = 0; day < 8; ++day)
        imageUrls << QStringLiteral("https://www.bing.com/HPImageArchive.aspx?format=xml&idx=%1&n=1&mkt=%2")
                         .arg(day)
                         .arg(market);
}

void AutoWallpaperChangerForm::startImageDownload()
{
    if (downloadRunning || imageUrls.isEmpty())
        return;
    downloadRunning = true;
    downloadIndex = imageIndex;
    // The file may be replaced at any moment of the download: nothing to set until it has ended.
    wallpaperChangerImageButton->setEnabled(false);
    if (shownIndex < 0)
        wallpaperChangerImage->setText(DownloadingText);
    downloadAbortRequested = false;
    loadThread = new LoadWallpaperThread(this);
    loadThread->url = imageUrls.at(imageIndex);
    connect(loadThread, &LoadWallpaperThread::showDesc, this, &AutoWallpaperChangerForm::onShowDesc);
    connect(loadThread, &LoadWallpaperThread::downloadComplete, this, &AutoWallpaperChangerForm::onDownloadComplete);
    connect(loadThread, &LoadWallpaperThread::downloadFail, this, &AutoWallpaperChangerForm::onDownloadFail);
    connect(loadThread, &LoadWallpaperThread::processFinish, this,
            &AutoWallpaperChangerForm::onLoadWallpaperProcessFinish);
    loadThread->start(QThread::InheritPriority);
}

void AutoWallpaperChangerForm::onShowDesc(const QString &copyright)
{
    wallpaperChangerImageLabel2->setText(copyright);
}

void AutoWallpaperChangerForm::onDownloadComplete()
{
    // Read through its handle, as every file is: a pipe put in its place is refused instead of waited on.
    std::vector<unsigned char> bytes;
    QPixmap preview;
    if (readWholeFile(wstr(downloadedImagePath), size_t(64) << 20, &bytes))
        preview.loadFromData(bytes.data(), uint(bytes.size()));
    wallpaperChangerImage->setPixmap(preview);
    shownIndex = downloadIndex;
    imageReady = true;
    wallpaperChangerImageLabel->setText(QStringLiteral("Bing daily wallpaper (") +
                                        QDate::currentDate().addDays(-shownIndex).toString(Qt::TextDate) +
                                        QStringLiteral(")"));
    wallpaperChangerImageButton->setEnabled(true);
    wallpaperChangerImageReloadButton->setEnabled(false);
    qDebug() << "walpaperSourceURLIndex: " << shownIndex;
}

void AutoWallpaperChangerForm::onDownloadFail()
{
    // A failed download leaves the file alone: the picture on view, if any, can still be set.
    wallpaperChangerImageButton->setEnabled(imageReady);
    wallpaperChangerImageReloadButton->setEnabled(true);
    if (shownIndex < 0)
        wallpaperChangerImage->setText(NoImageText);
}

void AutoWallpaperChangerForm::onLoadWallpaperProcessFinish()
{
    downloadRunning = false;
    if (loadThread) {
        // The signal is queued: the thread may still be returning from run().
        loadThread->wait();
        loadThread->deleteLater();
        loadThread = nullptr;
    }
    if (closePending) {
        // Asked once: should the close be refused after all, later downloads must not repeat it.
        closePending = false;
        emit closeApp();
        close();
    }
}

void AutoWallpaperChangerForm::requestClose()
{
    closePending = true;
    if (loadThread) {
        loadThread->stopRequested = true;
        downloadAbortRequested = true;
    }
}

void AutoWallpaperChangerForm::OnSaveWallpaperChanger(bool)
{
    saveAction->setEnabled(false);
    HWND helper = glasspanlink::findWindow();
    KRUtils utils;
    auto write = [&](const char *name, int value) {
        utils.writeRegDWORD(HKEY_CURRENT_USER, WallpaperKey, QLatin1String(name), DWORD(value));
    };
    const int enabled = wallpaperChangerComboBox->currentIndex();
    write("Enabled", enabled);
    write("TimeIndex", wallpaperChangerTimeSpinBox->value());
    write("TimePeriod", wallpaperChangerTimeComboBox->currentIndex());
    write("Source", wallpaperChangerSourceComboBox->currentIndex());
    write("Region", wallpaperChangerRegionComboBox->currentIndex());
    // The index of the image on show, not of a newer choice still downloading.
    write("CurrentIndex", shownIndex >= 0 ? shownIndex : imageIndex);
    if (enabled != 0) {
        glasspanlink::switchOn(this, HELPER_MSG_WALLPAPER_ON, HELPER_MSG_WALLPAPER_RELOAD);
        // A starting helper sets its own image; a running one waits for its interval, so show the preview now.
        if (helper && imageReady && !downloadRunning)
            setDesktopWallpaper(downloadedImagePath);
    } else {
        glasspanlink::post(helper, HELPER_MSG_WALLPAPER_OFF);
    }
    if (!utils.isGlasspanNeeded())
        utils.closeGlasspan();
}

void AutoWallpaperChangerForm::on_wallpaperChangerImageButton_clicked()
{
    if (!imageReady || downloadRunning)
        return;
    HWND helper = glasspanlink::findWindow();
    KRUtils utils;
    utils.writeRegDWORD(HKEY_CURRENT_USER, WallpaperKey, QStringLiteral("CurrentIndex"), DWORD(shownIndex));
    setDesktopWallpaper(downloadedImagePath);
    if (wallpaperChangerComboBox->currentIndex() == 1) {
        glasspanlink::post(helper, HELPER_MSG_WALLPAPER_RELOAD);
        glasspanlink::writeRunValue();
    }
}

void AutoWallpaperChangerForm::on_wallpaperChangerComboBox_currentIndexChanged(int index)
{
    wallpaperChangerTimeSpinBox->setEnabled(index != 0);
    wallpaperChangerTimeComboBox->setEnabled(index != 0);
    saveAction->setEnabled(true);
}

void AutoWallpaperChangerForm::on_wallpaperChangerTimeSpinBox_valueChanged(int)
{
    saveAction->setEnabled(true);
}

void AutoWallpaperChangerForm::on_wallpaperChangerTimeComboBox_currentIndexChanged(int)
{
    saveAction->setEnabled(true);
}

void AutoWallpaperChangerForm::on_wallpaperChangerRegionComboBox_currentIndexChanged(int index)
{
    setMarket(index);
    if (pageLoaded)
        startImageDownload();
    saveAction->setEnabled(true);
}

void AutoWallpaperChangerForm::on_wallpaperChangerBackToolButton_clicked()
{
    if (++imageIndex >= imageUrls.size())
        imageIndex = 0;
    startImageDownload();
}

void AutoWallpaperChangerForm::on_wallpaperChangerNextToolButton_clicked()
{
    if (--imageIndex < 0)
        imageIndex = int(imageUrls.size()) - 1;
    startImageDownload();
}

void AutoWallpaperChangerForm::on_wallpaperChangerImageReloadButton_clicked()
{
    if (miscTab)
        return;
    startImageDownload();
}
