#include "imagetable.h"
#include "drawings.h"

#include <QBuffer>
#include <QDataStream>
#include <QImageWriter>
#include <QtMath>

namespace {

ImageSpec icon(const char *name, int pixels, qreal grid, void (*fn)(QPainter &))
{
    return {QString::fromUtf8(name), QSize(pixels, pixels), grid, fn, ImageSpec::Icon};
}

// An illustration drawn in pixels of its size.
ImageSpec drawing(const char *name, int width, int height, void (*fn)(QPainter &))
{
    return {QString::fromUtf8(name), QSize(width, height), qreal(width), fn, ImageSpec::Illustration};
}

std::vector<ImageSpec> buildTable()
{
    using namespace draw;
    return {
        // Side panel and home page modules.
        icon("Home48.png", 48, 48, home48),
        icon("AutoDark48.png", 48, 48, autoDark48),
        icon("WallpaperChanger48.png", 48, 48, wallpaperChanger48),
        icon("folder_size_analyzer_48x48.png", 48, 48, folderSizeAnalyzer48),
        icon("FileDuplicate48.png", 48, 48, fileDuplicate48),
        icon("MyTrayIcon48.png", 48, 48, myTrayIcon48),
        icon("ProcessManager48.png", 48, 48, processManager48),
        icon("SecureDelete48.png", 48, 48, secureDelete48),
        icon("SmartShortcut48.png", 48, 48, smartShortcut48),
        icon("computing48.png", 48, 48, computing48),
        icon("track_cleaner_48x48.png", 48, 48, trackCleaner48),
        icon("Glasspan48.png", 48, 48, glasspan48),
        icon("MiscTools48.png", 48, 48, miscTools48),
        icon("Hushdeck48.png", 48, 48, hushdeck48),
        icon("SymbolChat48.png", 48, 48, symbolChat48),

        // Product images of the About and Check Update dialogs, and the window icon.
        icon("Hushdeck128.png", 128, 48, hushdeck48),
        icon("Update128.png", 128, 48, update128),
        icon("rocket.ico", 256, 48, rocket),

        // Wallpaper browsing buttons.
        icon("Arrow Left.png", 64, 64, arrowLeft64),
        icon("Arrow Right.png", 64, 64, arrowRight64),

        // Toolbars and buttons.
        icon("About24.png", 24, 24, about24),
        icon("Help24.png", 24, 24, help24),
        icon("Activate24.png", 24, 24, activate24),
        icon("Cancel24.png", 24, 24, cancel24),
        icon("Remove24.png", 24, 24, remove24),
        icon("AddFile24.png", 24, 24, addFile24),
        icon("AddFolder24.png", 24, 24, addFolder24),
        icon("AddFolder36.png", 36, 24, addFolder24),
        icon("ArrowLeft24.png", 24, 24, arrowLeft24),
        icon("CleanUp24.png", 24, 24, cleanUp24),
        icon("Configuration24.png", 24, 24, configuration24),
        icon("FolderSearch24.png", 24, 24, folderSearch24),
        icon("Notepad24.png", 24, 24, notepad24),
        icon("Refresh24.png", 24, 24, refresh24),
        icon("Update24.png", 24, 24, update24),
        icon("Save24.png", 24, 24, save24),
        icon("Search24.png", 24, 24, search24),
        icon("Undo24.png", 24, 24, undo24),
        icon("miguiresource24.png", 24, 24, taskScheduler24),
        icon("shortcut24.png", 24, 24, shortcut24),

        // Desktop, This PC and navigation pane entries; Track Cleaner groups.
        icon("Computer24.png", 24, 24, computer24),
        icon("ControlPanel24.png", 24, 24, controlPanel24),
        icon("Explorer24.png", 24, 24, explorer24),
        icon("Network24.png", 24, 24, network24),
        icon("RecycleBin24.png", 24, 24, recycleBin24),
        icon("UserFiles24.png", 24, 24, userFiles24),
        icon("Windows24.png", 24, 24, windows24),
        icon("desktop24.png", 24, 24, desktop24),
        icon("documents24.png", 24, 24, documents24),
        icon("downloads24.png", 24, 24, downloads24),
        icon("music24.png", 24, 24, music24),
        icon("pictures24.png", 24, 24, pictures24),
        icon("videos24.png", 24, 24, videos24),
        icon("3DObjects24.png", 24, 24, objects3d24),
        icon("Home.png", 24, 24, home24),
        icon("QuickAccess.png", 24, 24, quickAccess24),
        icon("OneDrive.png", 24, 24, oneDrive24),

        // File kinds of the scanners, and list marks.
        icon("3dImages16.png", 16, 16, images3d16),
        icon("Audio16.png", 16, 16, audio16),
        icon("Backup16.png", 16, 16, backup16),
        icon("CompressedFiles16.png", 16, 16, compressedFiles16),
        icon("DiskImage16.png", 16, 16, diskImage16),
        icon("Document16.png", 16, 16, document16),
        icon("Font16.png", 16, 16, font16),
        icon("Install16.png", 16, 16, install16),
        icon("RasterImage16.png", 16, 16, rasterImage16),
        icon("VectorImage16.png", 16, 16, vectorImage16),
        icon("Video16.png", 16, 16, video16),
        icon("WebFile16.png", 16, 16, webFile16),
        icon("CheckIn16.png", 16, 16, checkIn16),
        icon("Close16.png", 16, 16, close16),
        icon("SymbolBolt16.png", 16, 16, symbolBolt16),

        // Setting page illustrations.
        drawing("AboutWindows.png", 240, 150, aboutWindows),
        drawing("BingSearchStartMenu.png", 240, 150, bingSearchStartMenu),
        drawing("BootAnimNew.png", 160, 100, bootAnimNew),
        drawing("BootAnimOld.png", 160, 100, bootAnimOld),
        drawing("CenterStartMenu.png", 320, 48, centerStartMenu),
        drawing("CenterStartMenuLarge.png", 320, 56, centerStartMenuLarge),
        drawing("CenterStartMenuSmall.png", 320, 40, centerStartMenuSmall),
        drawing("ContextMenuNew.png", 160, 180, contextMenuNew),
        drawing("ContextMenuOld.png", 160, 180, contextMenuOld),
        drawing("DesktopIconPos.png", 160, 120, desktopIconPos),
        drawing("EdgeTitlebar.png", 320, 60, edgeTitlebar),
        drawing("ExplorerDark.png", 200, 130, explorerDark),
        drawing("ExplorerLight.png", 200, 130, explorerLight),
        drawing("ExplorerTitlebarHeight.png", 320, 80, explorerTitlebarHeight),
        drawing("ExplorerToolbarNew.png", 400, 60, explorerToolbarNew),
        drawing("ExplorerToolbarOld.png", 400, 60, explorerToolbarOld),
        drawing("GroupTaskbarIcon.png", 240, 48, groupTaskbarIcon),
        drawing("LeftStartMenu.png", 320, 48, leftStartMenu),
        drawing("LockScreen.png", 240, 150, lockScreen),
        drawing("LogonMessage.png", 240, 150, logonMessage),
        drawing("MyComputerDevices.png", 220, 150, myComputerDevices),
        drawing("MyComputerDrives.png", 220, 150, myComputerDrives),
        drawing("MyComputerIcons.png", 220, 150, myComputerIcons),
        drawing("MyTrayIconScreenShot.png", 240, 300, myTrayIconMenu),
        drawing("NavigationPane.png", 180, 200, navigationPane),
        drawing("NotificationAreaOneRow.png", 160, 48, notificationAreaOneRow),
        drawing("NotificationAreaTwoRows.png", 160, 48, notificationAreaTwoRows),
        drawing("OpenLastApp.png", 240, 120, openLastApp),
        drawing("SecondInClock.png", 160, 48, secondInClock),
        drawing("SnapAssist.png", 240, 150, snapAssist),
        drawing("SystemAboutPage.png", 240, 150, systemAboutPage),
        drawing("SystemPage.png", 240, 150, systemPage),
        drawing("TaskManagerDisable.png", 240, 150, taskManagerDisable),
        drawing("TaskbarDark.png", 320, 48, taskbarDark),
        drawing("TaskbarItemsChat.png", 160, 48, taskbarItemsChat),
        drawing("TaskbarItemsSearch.png", 160, 48, taskbarItemsSearch),
        drawing("TaskbarItemsTaskview.png", 160, 48, taskbarItemsTaskview),
        drawing("TaskbarLight.png", 320, 48, taskbarLight),
        drawing("TaskbarPosBottom.png", 120, 90, taskbarPosBottom),
        drawing("TaskbarPosLeft.png", 120, 90, taskbarPosLeft),
        drawing("TaskbarPosRight.png", 120, 90, taskbarPosRight),
        drawing("TaskbarPosTop.png", 120, 90, taskbarPosTop),
        drawing("ThumbnailPreview.png", 240, 150, thumbnailPreview),
        drawing("TransparentTaskbar.png", 320, 48, transparentTaskbar),
        drawing("UngroupTaskbarIcon.png", 240, 48, ungroupTaskbarIcon),
        drawing("VerboseMode.png", 240, 150, verboseMode),
        drawing("WidgetIcon.png", 160, 48, widgetIcon),
        drawing("WinverDesktop.png", 240, 150, winverDesktop),
        drawing("cortanaDisable.png", 240, 150, cortanaDisable),
    };
}

bool isIco(const ImageSpec &entry)
{
    return entry.name.endsWith(QLatin1String(".ico"), Qt::CaseInsensitive);
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    return bytes;
}

} // namespace

const std::vector<ImageSpec> &imageTable()
{
    static const std::vector<ImageSpec> table = buildTable();
    return table;
}

QImage render(const ImageSpec &entry, int width)
{
    const int height = qRound(qreal(width) * entry.size.height() / entry.size.width());
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const qreal scale = width / entry.grid;
        p.scale(scale, scale);
        entry.draw(p);
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray encode(const ImageSpec &entry)
{
    if (!isIco(entry))
        return png(render(entry, entry.size.width()));
    QList<QImage> frames;
    for (int side : {16, 24, 32, 48, 64, 128, 256})
        if (side <= entry.size.width())
            frames << render(entry, side);
    return icoFile(frames);
}

QByteArray icoFile(const QList<QImage> &frames)
{
    QList<QByteArray> payloads;
    for (const QImage &frame : frames)
        payloads << png(frame);

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(frames.size());
    quint32 offset = 6 + 16 * quint32(frames.size());
    for (int i = 0; i < frames.size(); ++i) {
        // A side of 256 is stored as 0: the directory has one byte for it.
        out << quint8(frames[i].width() & 0xFF) << quint8(frames[i].height() & 0xFF) << quint8(0) << quint8(0)
            << quint16(1) << quint16(32) << quint32(payloads[i].size()) << offset;
        offset += quint32(payloads[i].size());
    }
    for (const QByteArray &payload : payloads)
        out.writeRawData(payload.constData(), int(payload.size()));
    return bytes;
}
