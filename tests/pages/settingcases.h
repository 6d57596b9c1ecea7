// The settings of the Appearance, Desktop and Taskbar tabs as the tests see them: where each is kept, how the
// registry spells a shown value, its control and its defaults. Shared by the page tests.
#pragma once

#include "appearance/accentcolorontitlebarsform.h"
#include "appearance/titlebarsizeform.h"
#include "appearance/windowscolormodeform.h"
#include "desktop/desktopiconform.h"
#include "desktop/iconspacingform.h"
#include "desktop/winversionondesktopform.h"
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
#include "krutils.h"
#include "linux/machine.h"
#include "linux/registrystore.h"
#include "linux/windowtable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include <functional>
#include <optional>

#include <unistd.h>

// How the registry spells what the control shows.
enum class Encoding {
    Dword,         // the shown value itself (combo index)
    InvertedDword, // a desktop icon: shown (ticked) is 0, hidden is 1
    NegatedText,   // icon spacing: REG_SZ "-1125" for 1125
    BorderTwips,   // the border size: REG_SZ in twips, -15 for 1 (kept by the system-parameter stand-in)
    EdgeByte,      // byte 12 of the taskbar's StuckRects3 blob, the shown value itself
    RowsByte,      // byte 44 of that blob: 1 for one row (shown 0), 2 for two rows
    HelperSwitch,  // the helper's window while on, and its logon start: kept as 1 while the Run value exists
};

enum class Control { Combo, Check, Slider, Spin };

struct SettingCase
{
    int id;
    std::function<SettingPage *()> create;
    Control control;
    const char *controlName;
    const char *defaultButton; // null: the setting has no Set Default of its own
    Encoding encoding;
    const char *key; // under HKEY_CURRENT_USER
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
    auto taskbarItems = [] { return new TaskbarItemsForm; };
    auto transparent = [] { return new TransparentTaskbarForm; };
    const char *advanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    const char *stuckRects = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StuckRects3";
    const char *runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
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
        {8, transparent, Control::Slider, "GlasspanHorizontalSlider", nullptr, Encoding::Dword, HUSHDECK_SETTINGS_ROOT,
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
        {12, transparent, Control::Combo, "GlasspanComboBox", "GlasspanPushButton", Encoding::HelperSwitch, runKey,
         "TransparentTaskbar", 0, "0", 0, 1, nullptr},
        {13, [] { return new SecondInClockForm; }, Control::Combo, "SecondTaskbarClockComboBox",
         "SecondTaskbarClockPushButton", Encoding::Dword, advanced, "ShowSecondsInSystemClock", 0, "0", 0, 1,
         &restartExplorerPending},
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
    return QStringLiteral("HKEY_CURRENT_USER\\") + QLatin1String(c.key);
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

// The taskbar's StuckRects3 blob as a Windows 11 machine keeps it: bottom edge, one row of icons.
inline QByteArray stuckRectsBlob()
{
    return QByteArray::fromHex("30000000feffffff7af40000030000003000000030000000000000000804000080070000"
                               "380400006000000001000000");
}

// Settings that never report their value as absent: the blob is never deleted, and the helper's switch is
// either on or off.
inline bool reportsMissing(const SettingCase &c)
{
    return c.encoding != Encoding::EdgeByte && c.encoding != Encoding::RowsByte && c.encoding != Encoding::HelperSwitch;
}

inline HWND helperWindow()
{
    return FindWindowW(WSTR("GLASSPAN"), WSTR("Transparent Taskbar"));
}

// The registry data that stands for a shown value.
inline RegValue encodedShown(const SettingCase &c, int shown)
{
    switch (c.encoding) {
    case Encoding::EdgeByte:
    case Encoding::RowsByte: {
        QByteArray blob = stuckRectsBlob();
        if (c.encoding == Encoding::EdgeByte)
            blob[12] = char(shown);
        else
            blob[44] = char(shown ? 2 : 1);
        return {REG_BINARY, blob};
    }
    case Encoding::HelperSwitch:
        return {REG_DWORD, dwordData(shown ? 1 : 0)};
    case Encoding::Dword:
        return {REG_DWORD, dwordData(quint32(shown))};
    case Encoding::InvertedDword:
        return {REG_DWORD, dwordData(shown ? 0 : 1)};
    case Encoding::NegatedText:
        return {REG_SZ, registrystore::stringData(QString::number(-shown))};
    case Encoding::BorderTwips:
        return {REG_SZ, registrystore::stringData(QString::number(-15 * shown))};
    }
    return {};
}

inline void storeShown(const SettingCase &c, int shown)
{
    if (c.encoding == Encoding::HelperSwitch) {
        // A helper of this process: what the page posts to it queues here.
        if (HWND running = helperWindow(); running && !shown)
            windowtable::destroyWindow(running);
        else if (!running && shown)
            windowtable::createWindow(DWORD(getpid()), QStringLiteral("GLASSPAN"),
                                      QStringLiteral("Transparent Taskbar"));
        return;
    }
    const RegValue v = encodedShown(c, shown);
    setRegistryValue(fullKey(c), QLatin1String(c.value), v.type, v.data);
}

// The setting made unreadable: the value deleted, or the system call failing.
inline void makeAbsent(const SettingCase &c)
{
    if (c.encoding == Encoding::BorderTwips)
        machine::setSetting(QStringLiteral("fail.SystemParametersInfoW"), QString::number(SPI_GETBORDER));
    else if (c.encoding == Encoding::HelperSwitch)
        storeShown(c, 0);
    else
        deleteRegistryValue(fullKey(c), QLatin1String(c.value));
}

inline std::optional<RegValue> storedValue(const SettingCase &c)
{
    if (c.encoding == Encoding::HelperSwitch)
        return RegValue{REG_DWORD, dwordData(registryValue(fullKey(c), QLatin1String(c.value)) ? 1 : 0)};
    return registryValue(fullKey(c), QLatin1String(c.value));
}

template <class W> W *child(QWidget *page, const char *name)
{
    W *w = page->findChild<W *>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
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
    }
    return -1;
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
        // The number field beside the slider: "...HorizontalSlider" becomes "...LineEdit".
        child<QLineEdit>(page, QByteArray(c.controlName).replace("HorizontalSlider", "LineEdit").constData())
            ->setText(QString::number(shown));
        break;
    case Control::Spin:
        child<QSpinBox>(page, c.controlName)->setValue(shown);
        break;
    }
}
