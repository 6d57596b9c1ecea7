// The settings of the pages as the tests see them: where each is kept, how the
// registry spells a shown value, its control and its defaults. Shared by the page tests.
#pragma once

#include "appearance/accentcolorontitlebarsform.h"
#include "appearance/titlebarsizeform.h"
#include "appearance/windowscolormodeform.h"
#include "desktop/desktopiconform.h"
#include "desktop/iconspacingform.h"
#include "desktop/winversionondesktopform.h"
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
#include "linux/machine.h"
#include "linux/registrystore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include <functional>
#include <optional>

// How the registry spells what the control shows.
enum class Encoding {
    Dword,          // the shown value itself (combo index)
    InvertedDword,  // a desktop icon: shown (ticked) is 0, hidden is 1
    NegatedText,    // icon spacing: REG_SZ "-1125" for 1125
    BorderTwips,    // the border size: REG_SZ in twips, -15 for 1 (kept by the system-parameter stand-in)
    InvertedChoice, // the page keeps the choice: choice 1 is the value 0, choice 0 the value 1
    DecimalText,    // REG_SZ holding the number in decimal
    ParameterText,  // a system parameter, kept by the stand-in as REG_SZ in decimal
};

enum class Control { Combo, Check, Slider, Spin };

struct SettingCase
{
    int id;
    std::function<SettingPage *()> create;
    Control control;
    const char *controlName;
    const char *defaultButton;
    Encoding encoding;
    const char *key; // under HKEY_CURRENT_USER, unless it starts with "HKEY_"
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

// The registry data that stands for a shown value.
inline RegValue encodedShown(const SettingCase &c, int shown)
{
    switch (c.encoding) {
    case Encoding::Dword:
        return {REG_DWORD, dwordData(quint32(shown))};
    case Encoding::InvertedDword:
    case Encoding::InvertedChoice:
        return {REG_DWORD, dwordData(shown ? 0 : 1)};
    case Encoding::DecimalText:
    case Encoding::ParameterText:
        return {REG_SZ, registrystore::stringData(QString::number(shown))};
    case Encoding::NegatedText:
        return {REG_SZ, registrystore::stringData(QString::number(-shown))};
    case Encoding::BorderTwips:
        return {REG_SZ, registrystore::stringData(QString::number(-15 * shown))};
    }
    return {};
}

inline void storeShown(const SettingCase &c, int shown)
{
    const RegValue v = encodedShown(c, shown);
    setRegistryValue(fullKey(c), QLatin1String(c.value), v.type, v.data);
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

// The setting made unreadable: the value deleted, or the system call failing.
inline void makeAbsent(const SettingCase &c)
{
    if (const unsigned action = readAction(c))
        machine::setSetting(QStringLiteral("fail.SystemParametersInfoW"), QString::number(action));
    else
        deleteRegistryValue(fullKey(c), QLatin1String(c.value));
}

inline std::optional<RegValue> storedValue(const SettingCase &c)
{
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
    }
}
