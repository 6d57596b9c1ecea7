// One drawing function per image. Each draws in the design units of its row in imagetable.cpp: 48 for the
// module tiles, 24 for toolbar glyphs, 16 for list icons, 64 for the big arrows, pixels for illustrations.
#pragma once

#include <QPainter>
#include <QSize>
#include <QString>

#include <functional>

namespace draw {

// Module tiles (48 units).
void home48(QPainter &p);
void autoDark48(QPainter &p);
void wallpaperChanger48(QPainter &p);
void folderSizeAnalyzer48(QPainter &p);
void fileDuplicate48(QPainter &p);
void myTrayIcon48(QPainter &p);
void processManager48(QPainter &p);
void secureDelete48(QPainter &p);
void smartShortcut48(QPainter &p);
void computing48(QPainter &p);
void trackCleaner48(QPainter &p);
void glasspan48(QPainter &p);
void miscTools48(QPainter &p);
void hushdeck48(QPainter &p);
void update128(QPainter &p);
void symbolChat48(QPainter &p);
void rocket(QPainter &p);

// Big round arrows (64 units).
void arrowLeft64(QPainter &p);
void arrowRight64(QPainter &p);

// Toolbar and list glyphs (24 units).
void about24(QPainter &p);
void help24(QPainter &p);
void activate24(QPainter &p);
void cancel24(QPainter &p);
void remove24(QPainter &p);
void addFile24(QPainter &p);
void addFolder24(QPainter &p);
void arrowLeft24(QPainter &p);
void cleanUp24(QPainter &p);
void computer24(QPainter &p);
void configuration24(QPainter &p);
void controlPanel24(QPainter &p);
void explorer24(QPainter &p);
void folderSearch24(QPainter &p);
void network24(QPainter &p);
void notepad24(QPainter &p);
void recycleBin24(QPainter &p);
void refresh24(QPainter &p);
void update24(QPainter &p);
void save24(QPainter &p);
void search24(QPainter &p);
void undo24(QPainter &p);
void userFiles24(QPainter &p);
void windows24(QPainter &p);
void desktop24(QPainter &p);
void documents24(QPainter &p);
void downloads24(QPainter &p);
void music24(QPainter &p);
void pictures24(QPainter &p);
void videos24(QPainter &p);
void objects3d24(QPainter &p);
void taskScheduler24(QPainter &p);
void shortcut24(QPainter &p);
void home24(QPainter &p);
void quickAccess24(QPainter &p);
void oneDrive24(QPainter &p);

// File kinds and flags (16 units).
void images3d16(QPainter &p);
void audio16(QPainter &p);
void backup16(QPainter &p);
void compressedFiles16(QPainter &p);
void diskImage16(QPainter &p);
void document16(QPainter &p);
void font16(QPainter &p);
void install16(QPainter &p);
void rasterImage16(QPainter &p);
void vectorImage16(QPainter &p);
void video16(QPainter &p);
void webFile16(QPainter &p);
void checkIn16(QPainter &p);
void close16(QPainter &p);
void symbolBolt16(QPainter &p);

// Setting and module page illustrations (pixels).

// Appearance and Desktop pages.
void taskbarLight(QPainter &p);
void taskbarDark(QPainter &p);
void explorerLight(QPainter &p);
void explorerDark(QPainter &p);
void edgeTitlebar(QPainter &p);
void explorerTitlebarHeight(QPainter &p);
void desktopIconPos(QPainter &p);
void winverDesktop(QPainter &p);
void snapAssist(QPainter &p);
void contextMenuNew(QPainter &p);
void contextMenuOld(QPainter &p);
void bingSearchStartMenu(QPainter &p);
void cortanaDisable(QPainter &p);
void bootAnimNew(QPainter &p);
void bootAnimOld(QPainter &p);
void verboseMode(QPainter &p);
void lockScreen(QPainter &p);
void logonMessage(QPainter &p);
void taskManagerDisable(QPainter &p);

// File Explorer pages.
void explorerToolbarNew(QPainter &p);
void explorerToolbarOld(QPainter &p);
void navigationPane(QPainter &p);
void myComputerIcons(QPainter &p);
void myComputerDevices(QPainter &p);
void myComputerDrives(QPainter &p);
// Taskbar pages.
void centerStartMenu(QPainter &p);
void centerStartMenuSmall(QPainter &p);
void centerStartMenuLarge(QPainter &p);
void leftStartMenu(QPainter &p);
void widgetIcon(QPainter &p);
void taskbarItemsChat(QPainter &p);
void taskbarItemsSearch(QPainter &p);
void taskbarItemsTaskview(QPainter &p);
void taskbarPosLeft(QPainter &p);
void taskbarPosTop(QPainter &p);
void taskbarPosRight(QPainter &p);
void taskbarPosBottom(QPainter &p);
void notificationAreaOneRow(QPainter &p);
void notificationAreaTwoRows(QPainter &p);
void secondInClock(QPainter &p);
void transparentTaskbar(QPainter &p);
void groupTaskbarIcon(QPainter &p);
void ungroupTaskbarIcon(QPainter &p);
void openLastApp(QPainter &p);
void thumbnailPreview(QPainter &p);
// My Tray Icon page: the helper's tray menu.
void myTrayIconMenu(QPainter &p);
// OEM Info pages.
void systemAboutPage(QPainter &p);
void systemPage(QPainter &p);
void aboutWindows(QPainter &p);

} // namespace draw
