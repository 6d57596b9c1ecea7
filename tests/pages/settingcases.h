// The settings of the catalogue's pages as the tests see them: where each is kept, how the
// registry spells a shown value, its control and its defaults. Shared by the page tests.
#pragma once

#include "editionnames.h"

#include "appearance/accentcolorontitlebarsform.h"
#include "appearance/titlebarsizeform.h"
#include "appearance/windowscolormodeform.h"
#include "desktop/desktopiconform.h"
#include "desktop/iconspacingform.h"
#include "desktop/winversionondesktopform.h"
#include "fileexplorer/fullfolderpathform.h"
#include "fileexplorer/hiddenfilesform.h"
#include "fileexplorer/hidefileextform.h"
#include "fileexplorer/mycomputerdevicesform.h"
#include "fileexplorer/mycomputerdrivesform.h"
#include "fileexplorer/mycomputericonsform.h"
#include "fileexplorer/navigationpaneform.h"
#include "fileexplorer/oldfileexplorertoolbarform.h"
#include "taskbar/appswitchbehaviourform.h"
#include "taskbar/secondinclockform.h"
#include "taskbar/taskbaralignmentform.h"
#include "taskbar/taskbaritemsform.h"
#include "taskbar/taskbarpositionform.h"
#include "taskbar/taskbarsizeform.h"
#include "taskbar/taskbarthumbnailpreviewsform.h"
#include "taskbar/transparenttaskbarform.h"
#include "taskbar/tworowsnotifareaform.h"
#include "taskbar/ungrouptaskbariconsform.h"
#include "others/bingstartmenuform.h"
#include "others/cortanadisableform.h"
#include "others/gamemodeform.h"
#include "others/menushowdelayform.h"
#include "others/screenshotcounterform.h"
#include "others/snapassistform.h"
#include "system/autoupdatesdisableform.h"
#include "system/bootscreenanimationform.h"
#include "system/iconcachesizeform.h"
#include "system/lockscreendisableform.h"
#include "system/taskmanagerdisableform.h"
#include "system/timeoutparamform.h"
#include "system/vbsfeatureform.h"
#include "system/verbosestatusform.h"
#include "krutils.h"
#include "oeminfo/computermodelform.h"
#include "oeminfo/oeminfoform.h"
#include "oeminfo/registeredownerform.h"
#include "privacy/advertisingidform.h"
#include "privacy/managetelemetryform.h"
#include "linux/machine/machine.h"
#include "linux/registry/registrystore.h"
#include "linux/windows/windowtable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTreeWidget>

#include <functional>
#include <optional>

#include <unistd.h>

// How the registry spells what the control shows.
enum class Encoding {
    Dword,         // the shown value itself (combo index)
    InvertedDword, // a desktop icon: shown (ticked) is 0, hidden is 1
    NegatedText,   // icon spacing: REG_SZ "-1125" for 1125
    BorderTwips,   // the border size: REG_SZ in twips, -15 for 1 (kept by the system-parameter stand-in)
    HideFlag,      // file extensions: 1 hides (choice 0), 0 shows (choice 1); the page keeps the choice
    HiddenFiles,   // hidden files: 1 shows (choice 0), 2 hides (choice 1); the page keeps the value
    // Key presence (value: the key's default text, written when shown). Shown is the key present.
    KeyDefault,     // the old toolbar: the choice is kept, a key without its default text is off
    NameSpaceKey,   // a navigation pane entry: kept as 0 while present, an absent key is no failed read
    KeyAlone,       // a This PC entry: a key without values, kept as 1 while present, missing when absent
    DriveBit,       // a drive in This PC: value NoDrives, shown is its bit clear; controlName is its letter
    EdgeByte,       // byte 12 of the taskbar's StuckRects3 blob, the shown value itself
    RowsByte,       // byte 44 of that blob: 1 for one row (shown 0), 2 for two rows
    HelperSwitch,   // the helper's own switch (absent is off); a helper window of this process while on
    DwordFromOne,   // the combo index + 1
    ServiceStart,   // a service's start type in its key: choice 1 is auto start (2), choice 0 demand start (3)
    Text,           // REG_SZ of the shown text (shownText)
    InvertedChoice, // the page keeps the choice: choice 1 is the value 0, choice 0 the value 1
    DecimalText,    // REG_SZ holding the number in decimal
    ParameterText,  // a system parameter, kept by the stand-in as REG_SZ in decimal
};

enum class Control { Combo, Check, Slider, Spin, DriveItem, Line };

struct SettingCase
{
    int id;
    std::function<SettingPage *()> create;
    Control control;
    const char *controlName;
    const char *defaultButton; // null: the setting has no Set Default of its own
    Encoding encoding;
    const char *key; // under HKEY_CURRENT_USER, unless it names its root ("HKEY_LOCAL_MACHINE\\...")
    const char *value;
    int preset;            // shown when the value is absent (or the system call fails)
    const char *presetOld; // oldValue reported while the value is absent
    int defaultShown;      // what Set Default shows
    int otherShown;        // a choice that is not the default
    bool *flag;            // the one-shot flag a write raises, or null
};

inline const QList<SettingCase> &settingCases()
{
    auto colorMode = [] { return new WindowsColorModeForm; };
    auto accent = [] { return new AccentColorOnTitleBarsForm; };
    auto titleBar = [] { return new TitleBarSizeForm; };
    auto icons = [] { return new DesktopIconForm; };
    auto spacing = [] { return new IconSpacingForm; };
    auto winVersion = [] { return new WinVersionOnDesktopForm; };
    const char *personalize = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    const char *iconKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideDesktopIcons\\NewStartPanel";
    const char *metrics = "Control Panel\\Desktop\\WindowMetrics";
    auto hideExt = [] { return new HideFileExtForm; };
    auto hidden = [] { return new HiddenFilesForm; };
    auto toolbar = [] { return new OldFileExplorerToolbarForm; };
    auto fullPath = [] { return new FullFolderPathForm; };
    auto pane = [] { return new NavigationPaneForm; };
    auto folders = [] { return new MyComputerIconsForm; };
    auto devices = [] { return new MyComputerDevicesForm; };
    auto drives = [] { return new MyComputerDrivesForm; };
    const char *advanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    const char *hideFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\HideMyComputerIcons";
    auto taskbarItems = [] { return new TaskbarItemsForm; };
    auto transparent = [] { return new TransparentTaskbarForm; };
    const char *stuckRects = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StuckRects3";
    // Where the running edition keeps the transparency level.
    const char *editionRoot = TEST_EDITION_ROOT;
    auto advertising = [] { return new AdvertisingIDForm; };
    auto telemetry = [] { return new ManageTelemetryForm; };
    auto oem = [] { return new OemInfoForm; };
    auto model = [] { return new ComputerModelForm; };
    auto owner = [] { return new RegisteredOwnerForm; };
    const char *oemKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OEMInformation";
    const char *ntKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    auto snapAssist = [] { return new SnapAssistForm; };
    auto menuDelay = [] { return new MenuShowDelayForm; };
    auto gameMode = [] { return new GameModeForm; };
    auto counter = [] { return new ScreenshotCounterForm; };
    auto bing = [] { return new BingStartMenuForm; };
    auto cortana = [] { return new CortanaDisableForm; };
    auto boot = [] { return new BootScreenAnimationForm; };
    auto verbose = [] { return new VerboseStatusForm; };
    auto lockScreen = [] { return new LockScreenDisableForm; };
    auto iconCache = [] { return new IconCacheSizeForm; };
    auto timeouts = [] { return new TimeOutParamForm; };
    auto taskManager = [] { return new TaskManagerDisableForm; };
    auto vbs = [] { return new VBSFeatureForm; };
    auto autoUpdates = [] { return new AutoUpdatesDisableForm; };
    const char *desktop = "Control Panel\\Desktop";
    const char *policies = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    const char *personalization = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization";
    static const QList<SettingCase> cases = {
        {400, colorMode, Control::Combo, "WindowsColorModeComboBox", "WindowsColorModePushButton", Encoding::Dword,
         personalize, "SystemUsesLightTheme", 1, "1", 1, 0, nullptr},
        {401, colorMode, Control::Combo, "AppColorModeComboBox", "AppColorModePushButton", Encoding::Dword, personalize,
         "AppsUseLightTheme", 1, "1", 1, 0, nullptr},
        {402, accent, Control::Combo, "AccentColorOnTitleBarsComboBox", "AccentColorOnTitleBarsPushButton",
         Encoding::Dword, "Software\\Microsoft\\Windows\\DWM", "ColorPrevalence", 0, "0", 0, 1, &themeRefreshPending},
        {403, titleBar, Control::Slider, "TitleBarSizeHorizontalSlider", "TitleBarSizePushButton",
         Encoding::BorderTwips, metrics, "BorderWidth", 1, "1", 1, 7, nullptr},
        {200, icons, Control::Check, "computerCheckBox", "DesktopIconPushButton", Encoding::InvertedDword, iconKey,
         "{20D04FE0-3AEA-1069-A2D8-08002B30309D}", 0, "1", 0, 1, &shellRefreshPending},
        {201, icons, Control::Check, "usersFilesCheckBox", "DesktopIconPushButton", Encoding::InvertedDword, iconKey,
         "{59031a47-3f72-44a7-89c5-5595fe6b30ee}", 0, "1", 0, 1, &shellRefreshPending},
        {202, icons, Control::Check, "networkCheckBox", "DesktopIconPushButton", Encoding::InvertedDword, iconKey,
         "{F02C1A0D-BE21-4350-88B0-7367FC96EF3C}", 0, "1", 0, 1, &shellRefreshPending},
        {203, icons, Control::Check, "recycleBinCheckBox", "DesktopIconPushButton", Encoding::InvertedDword, iconKey,
         "{645FF040-5081-101B-9F08-00AA002F954E}", 1, "0", 1, 0, &shellRefreshPending},
        {204, icons, Control::Check, "controlPanelCheckBox", "DesktopIconPushButton", Encoding::InvertedDword, iconKey,
         "{5399E694-6CE5-4D6C-8FCE-1D8870FDCBA0}", 0, "1", 0, 1, &shellRefreshPending},
        {205, spacing, Control::Spin, "iconSpacingHSpinBox", "iconSpacingPushButton", Encoding::NegatedText, metrics,
         "IconSpacing", 0, "0", 1125, 750, nullptr},
        {206, spacing, Control::Spin, "iconSpacingVSpinBox", "iconSpacingPushButton", Encoding::NegatedText, metrics,
         "IconVerticalSpacing", 0, "0", 1125, 1500, nullptr},
        {207, winVersion, Control::Combo, "WinVersionComboBox", "WinVersionPushButton", Encoding::Dword,
         "Control Panel\\Desktop", "PaintDesktopVersion", 0, "0", 0, 1, &shellRefreshPending},
        {600, hideExt, Control::Combo, "HideFileExtComboBox", "HideFileExtPushButton", Encoding::HideFlag, advanced,
         "HideFileExt", 1, "1", 0, 1, &restartExplorerPending},
        {601, hidden, Control::Combo, "HiddenFilesComboBox", "HiddenFilesPushButton", Encoding::HiddenFiles, advanced,
         "Hidden", 1, "0", 1, 0, &restartExplorerPending},
        {602, toolbar, Control::Combo, "oldFileExplorerToolbarComboBox", "oldFileExplorerToolbarPushButton",
         Encoding::KeyDefault, "Software\\Classes\\CLSID\\{d93ed569-3b3e-4bff-8355-3c44f6a52bb5}\\InprocServer32", "",
         0, "0", 0, 1, &restartExplorerPending},
        {603, fullPath, Control::Combo, "FullFolderPathComboBox", "FullFolderPathPushButton", Encoding::Dword,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState", "FullPath", 0, "0", 0, 1,
         &restartExplorerPending},
        {604, pane, Control::Check, "QuickAccessCheckBox", "NavigationPanePushButton", Encoding::InvertedDword,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer", "HubMode", 1, "0", 1, 0,
         &restartExplorerPending},
        {605, pane, Control::Check, "OneDriveCheckBox", "NavigationPanePushButton", Encoding::NameSpaceKey,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\{018D5C66-4533-4307-9B53-"
         "224DE2ED1FE6}",
         "OneDrive", 0, "1", 1, 0, &restartExplorerPending},
        {606, pane, Control::Check, "NetworkCheckBox", "NavigationPanePushButton", Encoding::NameSpaceKey,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\{F02C1A0D-BE21-4350-88B0-"
         "7367FC96EF3C}",
         "Computers and Devices", 0, "1", 1, 0, &restartExplorerPending},
        {607, folders, Control::Check, "DesktopCheckBox", "MyComputerIconsPushButton", Encoding::InvertedDword,
         hideFolders, "{B4BFCC3A-DB2C-424C-B029-7FE99A87C641}", 1, "0", 1, 0, &restartExplorerPending},
        {608, folders, Control::Check, "DocumentsCheckBox", "MyComputerIconsPushButton", Encoding::InvertedDword,
         hideFolders, "{D3162B92-9365-467A-956B-92703ACA08AF}", 1, "0", 1, 0, &restartExplorerPending},
        {609, folders, Control::Check, "DownloadsCheckBox", "MyComputerIconsPushButton", Encoding::InvertedDword,
         hideFolders, "{088E3905-0323-4B02-9826-5D99428E115F}", 1, "0", 1, 0, &restartExplorerPending},
        {610, folders, Control::Check, "MusicCheckBox", "MyComputerIconsPushButton", Encoding::InvertedDword,
         hideFolders, "{3DFDF296-DBEC-4FB4-81D1-6A3438BCF4DE}", 1, "0", 1, 0, &restartExplorerPending},
        {611, folders, Control::Check, "PicturesCheckBox", "MyComputerIconsPushButton", Encoding::InvertedDword,
         hideFolders, "{24AD3AD4-A569-4530-98E1-AB02F9417AA8}", 1, "0", 1, 0, &restartExplorerPending},
        {612, folders, Control::Check, "VideosCheckBox", "MyComputerIconsPushButton", Encoding::InvertedDword,
         hideFolders, "{F86FA3AB-70D2-4FC7-9C99-FCBF05467F3A}", 1, "0", 1, 0, &restartExplorerPending},
        {613, folders, Control::Check, "_3dObjectsCheckBox", "MyComputerIconsPushButton", Encoding::InvertedDword,
         hideFolders, "{0DB7E03F-FC29-4DC6-9020-FF41B59E513A}", 1, "0", 1, 0, &restartExplorerPending},
        {620, devices, Control::Check, "ControlPanelAllCheckBox", "MyComputerIconsPushButton", Encoding::KeyAlone,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace"
         "\\{21EC2020-3AEA-1069-A2DD-08002B30309D}",
         nullptr, 0, "0", 0, 1, &restartExplorerPending},
        {621, devices, Control::Check, "ControlPanelCheckBox", "MyComputerIconsPushButton", Encoding::KeyAlone,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace"
         "\\{26EE0668-A00A-44D7-9371-BEB064C98683}",
         nullptr, 0, "0", 0, 1, &restartExplorerPending},
        {622, devices, Control::Check, "RecycleBinCheckBox", "MyComputerIconsPushButton", Encoding::KeyAlone,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MyComputer\\NameSpace"
         "\\{645FF040-5081-101B-9F08-00AA002F954E}",
         nullptr, 0, "0", 0, 1, &restartExplorerPending},
        // C: is the host's root on every machine; the other letters are mapped by the tab's own test.
        {632, drives, Control::DriveItem, "C", "MyComputerDrivesPushButton", Encoding::DriveBit,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoDrives", 1, "1", 1, 0,
         &restartExplorerPending},
        {0, [] { return new TaskbarSizeForm; }, Control::Combo, "taskbarSizeComboBox", "taskbarSizePushButton",
         Encoding::Dword, advanced, "TaskbarSi", 1, "1", 1, 2, &restartExplorerPending},
        {1, [] { return new TaskbarAlignmentForm; }, Control::Combo, "taskbarAlignmentComboBox",
         "taskbarAlignmentPushButton", Encoding::Dword, advanced, "TaskbarAl", 1, "1", 1, 0, nullptr},
        {2, [] { return new AppSwitchBehaviourForm; }, Control::Combo, "quickSwitchLastOpenComboBox",
         "quickSwitchLastOpenPushButton", Encoding::Dword, advanced, "LastActiveClick", 0, "0", 0, 1,
         &restartExplorerPending},
        {3, taskbarItems, Control::Combo, "showWidgetIconComboBox", "showWidgetIconPushButton", Encoding::Dword,
         advanced, "TaskbarDa", 1, "1", 1, 0, nullptr},
        {4, taskbarItems, Control::Combo, "showChatIconComboBox", "showChatIconPushButton", Encoding::Dword, advanced,
         "TaskbarMn", 1, "1", 1, 0, nullptr},
        {5, taskbarItems, Control::Combo, "showTaskviewIconComboBox", "showTaskviewIconPushButton", Encoding::Dword,
         advanced, "ShowTaskViewButton", 1, "1", 1, 0, nullptr},
        {6, taskbarItems, Control::Combo, "showSearchIconComboBox", "showSearchIconPushButton", Encoding::Dword,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Search", "SearchboxTaskbarMode", 1, "1", 1, 0, nullptr},
        {7, [] { return new TaskbarPositionForm; }, Control::Combo, "taskbarPositionComboBox",
         "taskbarPositionPushButton", Encoding::EdgeByte, stuckRects, "Settings", 3, "3", 3, 1,
         &restartExplorerPending},
        {8, transparent, Control::Slider, "GlasspanHorizontalSlider", nullptr, Encoding::Dword, editionRoot,
         "TaskbarTransparentLevel", 255, "255", 255, 128, nullptr},
        {9, [] { return new UngroupTaskbarIconsForm; }, Control::Combo, "UngroupTaskbarIconsComboBox",
         "UngroupTaskbarIconsPushButton", Encoding::Dword, advanced, "TaskbarGlomLevel", 0, "0", 0, 2,
         &restartExplorerPending},
        {10, [] { return new TaskbarThumbnailPreviewsForm; }, Control::Slider,
         "TaskbarThumbnailPreviewsHorizontalSlider", "TaskbarThumbnailPreviewsPushButton", Encoding::Dword, advanced,
         "ExtendedUIHoverTime", 400, "400", 400, 30000, nullptr},
        {11, [] { return new TwoRowsNotifAreaForm; }, Control::Combo, "TwoRowsNotifAreaComboBox",
         "TwoRowsNotifAreaPushButton", Encoding::RowsByte, stuckRects, "Settings", 0, "0", 0, 1,
         &restartExplorerPending},
        {12, transparent, Control::Combo, "GlasspanComboBox", "GlasspanPushButton", Encoding::HelperSwitch,
         HUSHDECK_SETTINGS_ROOT "\\Glasspan", "Enabled", 0, "0", 0, 1, nullptr},
        {13, [] { return new SecondInClockForm; }, Control::Combo, "SecondTaskbarClockComboBox",
         "SecondTaskbarClockPushButton", Encoding::Dword, advanced, "ShowSecondsInSystemClock", 0, "0", 0, 1,
         &restartExplorerPending},
        {300, advertising, Control::Combo, "advertisingIDComboBox", "advertisingIDPushButton", Encoding::Dword,
         "Software\\Microsoft\\Windows\\CurrentVersion\\AdvertisingInfo", "Enabled", 1, "1", 1, 0, nullptr},
        {301, telemetry, Control::Combo, "ManageTelemetryComboBox", "ManageTelemetryPushButton", Encoding::DwordFromOne,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection", "AllowTelemetry", 2, "3", 2, 0,
         nullptr},
        // An absent service shows "Disable" and reports the start type 0.
        {302, telemetry, Control::Combo, "diagTrackComboBox", "diagTrackPushButton", Encoding::ServiceStart,
         "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\DiagTrack", "Start", 0, "0", 1, 0, nullptr},
        {700, oem, Control::Line, "ManufacturerLineEdit", nullptr, Encoding::Text, oemKey, "Manufacturer", 0, "", 0, 1,
         nullptr},
        {701, oem, Control::Line, "SupportHoursLineEdit", nullptr, Encoding::Text, oemKey, "SupportHours", 0, "", 0, 1,
         nullptr},
        {702, oem, Control::Line, "SupportPhoneLineEdit", nullptr, Encoding::Text, oemKey, "SupportPhone", 0, "", 0, 1,
         nullptr},
        {703, oem, Control::Line, "SupportURLLineEdit", nullptr, Encoding::Text, oemKey, "SupportURL", 0, "", 0, 1,
         nullptr},
        {704, model, Control::Line, "ComputerModelLineEdit", nullptr, Encoding::Text, oemKey, "Model", 0, "", 0, 1,
         nullptr},
        {705, owner, Control::Line, "RegisteredOwnerLineEdit", nullptr, Encoding::Text, ntKey, "RegisteredOwner", 0, "",
         0, 1, nullptr},
        {706, owner, Control::Line, "RegisteredOrgLineEdit", nullptr, Encoding::Text, ntKey, "RegisteredOrganization",
         0, "", 0, 1, nullptr},
        {100, snapAssist, Control::Combo, "snapAssistFlyoutComboBox", "snapAssistFlyoutPushButton", Encoding::Dword,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "EnableSnapAssistFlyout", 1, "1", 1, 0,
         nullptr},
        {102, menuDelay, Control::Slider, "MenuShowDelayHorizontalSlider", "MenuShowDelayPushButton",
         Encoding::ParameterText, desktop, "MenuShowDelay", 400, "400", 400, 200, nullptr},
        {103, gameMode, Control::Combo, "GameModeComboBox", "GameModePushButton", Encoding::Dword,
         "Software\\Microsoft\\GameBar", "AutoGameModeEnabled", 1, "1", 1, 0, nullptr},
        {104, counter, Control::Spin, "ScreenshotCounterSpinBox", nullptr, Encoding::Dword,
         "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", "ScreenshotIndex", 1, "1", 1, 250, nullptr},
        {106, bing, Control::Combo, "BingStartMenuComboBox", "BingStartMenuPushButton", Encoding::InvertedChoice,
         "Software\\Policies\\Microsoft\\Windows\\Explorer", "DisableSearchBoxSuggestions", 1, "1", 1, 0,
         &restartExplorerPending},
        {107, cortana, Control::Combo, "CortanaDisableComboBox", "CortanaDisablePushButton", Encoding::Dword,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\Windows Search", "AllowCortana", 1, "1", 1, 0,
         &restartExplorerPending},
        // The seed's build is 22631, where the new animation is the default.
        {500, boot, Control::Combo, "BootScreenAnimationComboBox", "BootScreenAnimationPushButton", Encoding::Dword,
         "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Control\\BootControl", "BootProgressAnimation", 0, "0", 1, 0,
         nullptr},
        {501, verbose, Control::Combo, "VerboseStatusComboBox", "VerboseStatusPushButton", Encoding::Dword, policies,
         "verbosestatus", 0, "0", 0, 1, nullptr},
        {502, lockScreen, Control::Combo, "LockScreenDisableComboBox", "LockScreenDisablePushButton",
         Encoding::InvertedDword, personalization, "NoLockScreen", 1, "0", 1, 0, nullptr},
        {503, lockScreen, Control::Combo, "ChangeLockScreenBackComboBox", "ChangeLockScreenBackPushButton",
         Encoding::Dword, personalization, "NoChangingLockScreen", 0, "0", 0, 1, nullptr},
        {506, iconCache, Control::Slider, "IconCacheSizeHorizontalSlider", "IconCacheSizePushButton",
         Encoding::DecimalText, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer",
         "Max Cached Icons", 512, "", 512, 4096, nullptr},
        {507, timeouts, Control::Slider, "hungAppHorizontalSlider", "hungAppPushButton", Encoding::ParameterText,
         desktop, "HungAppTimeout", 5000, "5000", 5000, 3000, nullptr},
        {508, timeouts, Control::Slider, "waitToKillHorizontalSlider", "waitToKillPushButton", Encoding::ParameterText,
         desktop, "WaitToKillAppTimeout", 5000, "5000", 5000, 2000, nullptr},
        {509, timeouts, Control::Slider, "waitToKillServiceHorizontalSlider", "waitToKillServicePushButton",
         Encoding::ParameterText, "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control", "WaitToKillServiceTimeout",
         5000, "5000", 5000, 7500, nullptr},
        {510, taskManager, Control::Combo, "TaskManagerDisableComboBox", "TaskManagerDisablePushButton",
         Encoding::Dword, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "DisableTaskMgr", 0, "0", 0,
         1, nullptr},
        {511, vbs, Control::Combo, "vbsComboBox", "vbsPushButton", Encoding::Dword,
         "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\DeviceGuard", "EnableVirtualizationBasedSecurity", 0,
         "0", 0, 1, nullptr},
        {512, autoUpdates, Control::Combo, "DisableAutomaticUpdatesComboBox", "DisableAutomaticUpdatesPushButton",
         Encoding::InvertedDword, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Microsoft\\Windows\\WindowsUpdate\\AU",
         "NoAutoUpdate", 1, "0", 1, 0, nullptr},
    };
    return cases;
}

// Every test starts and ends with the three one-shot flags down.
inline void lowerOneShotFlags()
{
    themeRefreshPending = false;
    shellRefreshPending = false;
    restartExplorerPending = false;
}

inline const SettingCase &settingCase(int id)
{
    for (const SettingCase &c : settingCases())
        if (c.id == id)
            return c;
    qFatal("no setting case %d", id);
}

inline QString fullKey(const SettingCase &c)
{
    const QString key = QLatin1String(c.key);
    return key.startsWith(QLatin1String("HKEY_")) ? key : QStringLiteral("HKEY_CURRENT_USER\\") + key;
}

// Settings kept as the presence of a key rather than as a value.
inline bool keptAsKey(const SettingCase &c)
{
    return c.encoding == Encoding::KeyDefault || c.encoding == Encoding::NameSpaceKey ||
           c.encoding == Encoding::KeyAlone;
}

// Whether a setting whose value (or key) is absent reports itself as missing. The taskbar's blob is never
// deleted, and the helper's switch is either on or off.
inline bool absentIsMissing(const SettingCase &c)
{
    switch (c.encoding) {
    case Encoding::KeyDefault:
    case Encoding::NameSpaceKey:
    case Encoding::DriveBit:
    case Encoding::EdgeByte:
    case Encoding::RowsByte:
    case Encoding::HelperSwitch:
    case Encoding::ServiceStart: // a service always has a start type
        return false;
    default:
        return true;
    }
}

// The registry value of a setting: its type and data, or nothing when absent.
struct RegValue
{
    DWORD type = 0;
    QByteArray data;
    bool operator==(const RegValue &o) const { return type == o.type && data == o.data; }
};

inline std::optional<RegValue> registryValue(const QString &fullKeyPath, const QString &name)
{
    machine::Lock lock;
    const qint64 node = registrystore::findKey(fullKeyPath);
    RegValue v;
    if (!node || !registrystore::readValue(node, name, &v.type, &v.data))
        return std::nullopt;
    return v;
}

inline void setRegistryValue(const QString &fullKeyPath, const QString &name, DWORD type, const QByteArray &data)
{
    machine::Lock lock;
    registrystore::writeValue(registrystore::ensureKey(fullKeyPath), name, type, data);
}

inline void deleteRegistryValue(const QString &fullKeyPath, const QString &name)
{
    machine::Lock lock;
    if (const qint64 node = registrystore::findKey(fullKeyPath))
        registrystore::deleteValue(node, name);
}

inline QByteArray dwordData(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (8 * i)) & 0xff);
    return b;
}

// A key's stand-in value in comparisons: its default value, or an empty REG_NONE for a key without one.
inline std::optional<RegValue> keyState(const QString &fullKeyPath)
{
    machine::Lock lock;
    const qint64 node = registrystore::findKey(fullKeyPath);
    if (!node)
        return std::nullopt;
    RegValue v{REG_NONE, {}};
    registrystore::readValue(node, QString(), &v.type, &v.data);
    return v;
}

inline void deleteRegistryKey(const QString &fullKeyPath)
{
    machine::Lock lock;
    if (const qint64 node = registrystore::findKey(fullKeyPath))
        registrystore::deleteTree(node);
}

inline int driveBit(const SettingCase &c)
{
    return c.controlName[0] - 'A';
}

// The taskbar's StuckRects3 blob as a Windows 11 machine keeps it: bottom edge, one row of icons.
inline QByteArray stuckRectsBlob()
{
    return QByteArray::fromHex("30000000feffffff7af40000030000003000000030000000000000000804000080070000"
                               "380400006000000001000000");
}

inline HWND helperWindow()
{
    return FindWindowW(WSTR("GLASSPAN"), WSTR("Transparent Taskbar"));
}

// The text a line edit shows for a shown value: none for 0.
inline QString shownText(int shown)
{
    return shown ? QStringLiteral("Contoso %1").arg(shown) : QString();
}

// The registry data that stands for a shown value; nothing for an absent key.
inline std::optional<RegValue> encodedShown(const SettingCase &c, int shown)
{
    switch (c.encoding) {
    case Encoding::EdgeByte:
    case Encoding::RowsByte: {
        QByteArray blob = stuckRectsBlob();
        if (c.encoding == Encoding::EdgeByte)
            blob[12] = char(shown);
        else
            blob[44] = char(shown ? 2 : 1);
        return RegValue{REG_BINARY, blob};
    }
    case Encoding::HelperSwitch:
        return RegValue{REG_DWORD, dwordData(shown ? 1 : 0)};
    case Encoding::Dword:
        return RegValue{REG_DWORD, dwordData(quint32(shown))};
    case Encoding::InvertedDword:
    case Encoding::InvertedChoice:
    case Encoding::HideFlag:
        return RegValue{REG_DWORD, dwordData(shown ? 0 : 1)};
    case Encoding::DecimalText:
    case Encoding::ParameterText:
        return RegValue{REG_SZ, registrystore::stringData(QString::number(shown))};
    case Encoding::HiddenFiles:
        return RegValue{REG_DWORD, dwordData(shown ? 2 : 1)};
    case Encoding::NegatedText:
        return RegValue{REG_SZ, registrystore::stringData(QString::number(-shown))};
    case Encoding::BorderTwips:
        return RegValue{REG_SZ, registrystore::stringData(QString::number(-15 * shown))};
    case Encoding::KeyDefault:
    case Encoding::NameSpaceKey:
        if (!shown)
            return std::nullopt;
        return RegValue{REG_SZ, registrystore::stringData(QLatin1String(c.value))};
    case Encoding::KeyAlone:
        if (!shown)
            return std::nullopt;
        return RegValue{REG_NONE, {}};
    case Encoding::DriveBit:
        return RegValue{REG_DWORD, dwordData(shown ? 0 : 1u << driveBit(c))};
    case Encoding::DwordFromOne:
        return RegValue{REG_DWORD, dwordData(quint32(shown + 1))};
    case Encoding::ServiceStart:
        return RegValue{REG_DWORD, dwordData(shown ? 2 : 3)};
    case Encoding::Text:
        return RegValue{REG_SZ, registrystore::stringData(shownText(shown))};
    }
    return std::nullopt;
}

inline void storeShown(const SettingCase &c, int shown)
{
    if (c.encoding == Encoding::HelperSwitch) {
        setRegistryValue(fullKey(c), QLatin1String(c.value), REG_DWORD, dwordData(shown ? 1 : 0));
        // A helper of this process: what the page posts to it queues here.
        if (HWND running = helperWindow(); running && !shown)
            windowtable::destroyWindow(running);
        else if (!running && shown)
            windowtable::createWindow(DWORD(getpid()), QStringLiteral("GLASSPAN"),
                                      QStringLiteral("Transparent Taskbar"));
        return;
    }
    const std::optional<RegValue> v = encodedShown(c, shown);
    if (keptAsKey(c)) {
        deleteRegistryKey(fullKey(c));
        if (!v)
            return;
        machine::Lock lock;
        const qint64 node = registrystore::ensureKey(fullKey(c));
        if (v->type != REG_NONE)
            registrystore::writeValue(node, QString(), v->type, v->data);
        return;
    }
    setRegistryValue(fullKey(c), QLatin1String(c.value), v->type, v->data);
}

// The system-parameter action that reads a setting; 0 for a registry setting.
inline unsigned readAction(const SettingCase &c)
{
    const QList<QPair<const char *, unsigned>> actions = {
        {"BorderWidth", SPI_GETBORDER},
        {"MenuShowDelay", SPI_GETMENUSHOWDELAY},
        {"HungAppTimeout", SPI_GETHUNGAPPTIMEOUT},
        {"WaitToKillAppTimeout", SPI_GETWAITTOKILLTIMEOUT},
        {"WaitToKillServiceTimeout", SPI_GETWAITTOKILLSERVICETIMEOUT}};
    if (c.encoding != Encoding::BorderTwips && c.encoding != Encoding::ParameterText)
        return 0;
    for (const auto &a : actions)
        if (qstrcmp(a.first, c.value) == 0)
            return a.second;
    qFatal("no action for %s", c.value);
}

// The setting made unreadable: the value or key deleted, or the system call failing.
inline void makeAbsent(const SettingCase &c)
{
    if (const unsigned action = readAction(c))
        machine::setSetting(QStringLiteral("fail.SystemParametersInfoW"), QString::number(action));
    else if (keptAsKey(c) || c.encoding == Encoding::ServiceStart) // a service: the service itself is gone
        deleteRegistryKey(fullKey(c));
    else {
        if (c.encoding == Encoding::HelperSwitch)
            storeShown(c, 0); // and no helper window either
        deleteRegistryValue(fullKey(c), QLatin1String(c.value));
    }
}

inline std::optional<RegValue> storedValue(const SettingCase &c)
{
    if (keptAsKey(c))
        return keyState(fullKey(c));
    if (c.encoding == Encoding::HelperSwitch) // absent is off
        return registryValue(fullKey(c), QLatin1String(c.value)).value_or(RegValue{REG_DWORD, dwordData(0)});
    return registryValue(fullKey(c), QLatin1String(c.value));
}

// Whether a restore of a record marked "absent" removes the value. The settings that are never absent (a key's
// presence, a service's start type) write the recorded value instead.
inline bool restoreRemoves(const SettingCase &c)
{
    return !QList<int>{101, 302, 602, 605, 606}.contains(c.id);
}

// What a restore of a record without a value leaves.
inline std::optional<RegValue> afterRemove(const SettingCase &c)
{
    switch (c.encoding) {
    case Encoding::BorderTwips: // a parameter is set to its default
    case Encoding::ParameterText:
    case Encoding::DriveBit: // the drive's bit is cleared, the others stay
        return encodedShown(c, c.defaultShown);
    case Encoding::HelperSwitch: // absent is off
    case Encoding::ServiceStart: // no start type is demand start
        return encodedShown(c, 0);
    default:
        return std::nullopt;
    }
}

// What a restore of the stored text "0" leaves.
inline std::optional<RegValue> afterStoredZero(const SettingCase &c)
{
    switch (c.encoding) {
    case Encoding::InvertedDword:
    case Encoding::HiddenFiles:
    case Encoding::DwordFromOne:
        return RegValue{REG_DWORD, dwordData(0)}; // the raw value
    case Encoding::NameSpaceKey:
        return encodedShown(c, 1); // 0 is the entry shown
    case Encoding::DriveBit:
        return encodedShown(c, 0); // 0 is the drive hidden
    default:
        return encodedShown(c, 0);
    }
}

template <class W> W *child(QWidget *page, const char *name)
{
    W *w = page->findChild<W *>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

// The drive page's item of a letter ("D").
inline QTreeWidgetItem *driveItem(QWidget *page, const char *letter)
{
    auto *tree = child<QTreeWidget>(page, "MyComputerDrivesTreeWidget");
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->text(1) == QLatin1String(letter))
            return tree->topLevelItem(i);
    qFatal("no drive %s", letter);
}

// What the setting's control shows now.
inline int shownValue(QWidget *page, const SettingCase &c)
{
    switch (c.control) {
    case Control::Combo:
        return child<QComboBox>(page, c.controlName)->currentIndex();
    case Control::Check:
        return child<QCheckBox>(page, c.controlName)->isChecked() ? 1 : 0;
    case Control::Slider:
        return child<QSlider>(page, c.controlName)->value();
    case Control::Spin:
        return child<QSpinBox>(page, c.controlName)->value();
    case Control::DriveItem:
        return driveItem(page, c.controlName)->checkState(0) == Qt::Checked ? 1 : 0;
    case Control::Line: {
        const QString text = child<QLineEdit>(page, c.controlName)->text();
        return text.isEmpty() ? 0 : text.section(QLatin1Char(' '), 1).toInt();
    }
    }
    return -1;
}

// The number field beside a setting's slider.
inline QString numberField(const SettingCase &c)
{
    return QString::fromLatin1(c.controlName).replace(QLatin1String("HorizontalSlider"), QLatin1String("LineEdit"));
}

// Operates the control as a user would (a slider page takes the number in its field).
inline void showValue(QWidget *page, const SettingCase &c, int shown)
{
    switch (c.control) {
    case Control::Combo:
        child<QComboBox>(page, c.controlName)->setCurrentIndex(shown);
        break;
    case Control::Check:
        child<QCheckBox>(page, c.controlName)->setChecked(shown != 0);
        break;
    case Control::Slider:
        child<QLineEdit>(page, qPrintable(numberField(c)))->setText(QString::number(shown));
        break;
    case Control::Spin:
        child<QSpinBox>(page, c.controlName)->setValue(shown);
        break;
    case Control::DriveItem:
        driveItem(page, c.controlName)->setCheckState(0, shown ? Qt::Checked : Qt::Unchecked);
        break;
    case Control::Line:
        child<QLineEdit>(page, c.controlName)->setText(shownText(shown));
        break;
    }
}
