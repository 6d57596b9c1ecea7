// The settings of the catalogue's tabs as the tests see them: where each is kept, how the
// registry spells a shown value, its control and its defaults. Shared by the page tests.
#pragma once

#include "appearance/accentcolorontitlebarsform.h"
#include "appearance/titlebarsizeform.h"
#include "appearance/windowscolormodeform.h"
#include "desktop/desktopiconform.h"
#include "desktop/iconspacingform.h"
#include "desktop/winversionondesktopform.h"
#include "oeminfo/computermodelform.h"
#include "oeminfo/oeminfoform.h"
#include "oeminfo/registeredownerform.h"
#include "privacy/advertisingidform.h"
#include "privacy/managetelemetryform.h"
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
    Dword,         // the shown value itself (combo index)
    InvertedDword, // a desktop icon: shown (ticked) is 0, hidden is 1
    NegatedText,   // icon spacing: REG_SZ "-1125" for 1125
    BorderTwips,   // the border size: REG_SZ in twips, -15 for 1 (kept by the system-parameter stand-in)
    DwordFromOne,  // the combo index + 1
    ServiceStart,  // a service's start type in its key: choice 1 is auto start (2), choice 0 demand start (3)
    Text,          // REG_SZ of the shown text (shownText)
};

enum class Control { Combo, Check, Slider, Spin, Line };

struct SettingCase
{
    int id;
    std::function<SettingPage *()> create;
    Control control;
    const char *controlName;
    const char *defaultButton;
    Encoding encoding;
    const char *key; // under root
    const char *value;
    int preset;            // shown when the value is absent (or the system call fails)
    const char *presetOld; // oldValue reported while the value is absent
    int defaultShown;      // what Set Default shows
    int otherShown;        // a choice that is not the default
    bool *flag;            // the one-shot flag a write raises, or null
    const char *root = "HKEY_CURRENT_USER";
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
    auto advertising = [] { return new AdvertisingIDForm; };
    auto telemetry = [] { return new ManageTelemetryForm; };
    auto oem = [] { return new OemInfoForm; };
    auto model = [] { return new ComputerModelForm; };
    auto owner = [] { return new RegisteredOwnerForm; };
    const char *hklm = "HKEY_LOCAL_MACHINE";
    const char *oemKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OEMInformation";
    const char *ntKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
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
        {300, advertising, Control::Combo, "advertisingIDComboBox", "advertisingIDPushButton", Encoding::Dword,
         "Software\\Microsoft\\Windows\\CurrentVersion\\AdvertisingInfo", "Enabled", 1, "1", 1, 0, nullptr},
        {301, telemetry, Control::Combo, "ManageTelemetryComboBox", "ManageTelemetryPushButton", Encoding::DwordFromOne,
         "SOFTWARE\\Policies\\Microsoft\\Windows\\DataCollection", "AllowTelemetry", 2, "3", 2, 0, nullptr, hklm},
        // An absent service shows "Disable" and reports the start type 0.
        {302, telemetry, Control::Combo, "diagTrackComboBox", "diagTrackPushButton", Encoding::ServiceStart,
         "SYSTEM\\CurrentControlSet\\Services\\DiagTrack", "Start", 0, "0", 1, 0, nullptr, hklm},
        {700, oem, Control::Line, "ManufacturerLineEdit", nullptr, Encoding::Text, oemKey, "Manufacturer", 0, "", 0, 1,
         nullptr, hklm},
        {701, oem, Control::Line, "SupportHoursLineEdit", nullptr, Encoding::Text, oemKey, "SupportHours", 0, "", 0, 1,
         nullptr, hklm},
        {702, oem, Control::Line, "SupportPhoneLineEdit", nullptr, Encoding::Text, oemKey, "SupportPhone", 0, "", 0, 1,
         nullptr, hklm},
        {703, oem, Control::Line, "SupportURLLineEdit", nullptr, Encoding::Text, oemKey, "SupportURL", 0, "", 0, 1,
         nullptr, hklm},
        {704, model, Control::Line, "ComputerModelLineEdit", nullptr, Encoding::Text, oemKey, "Model", 0, "", 0, 1,
         nullptr, hklm},
        {705, owner, Control::Line, "RegisteredOwnerLineEdit", nullptr, Encoding::Text, ntKey, "RegisteredOwner", 0, "",
         0, 1, nullptr, hklm},
        {706, owner, Control::Line, "RegisteredOrgLineEdit", nullptr, Encoding::Text, ntKey, "RegisteredOrganization",
         0, "", 0, 1, nullptr, hklm},
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
    return QLatin1String(c.root) + QLatin1Char('\\') + QLatin1String(c.key);
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

// The text a line edit shows for a shown value: none for 0.
inline QString shownText(int shown)
{
    return shown ? QStringLiteral("Contoso %1").arg(shown) : QString();
}

// The registry data that stands for a shown value.
inline RegValue encodedShown(const SettingCase &c, int shown)
{
    switch (c.encoding) {
    case Encoding::Dword:
        return {REG_DWORD, dwordData(quint32(shown))};
    case Encoding::InvertedDword:
        return {REG_DWORD, dwordData(shown ? 0 : 1)};
    case Encoding::NegatedText:
        return {REG_SZ, registrystore::stringData(QString::number(-shown))};
    case Encoding::BorderTwips:
        return {REG_SZ, registrystore::stringData(QString::number(-15 * shown))};
    case Encoding::DwordFromOne:
        return {REG_DWORD, dwordData(quint32(shown + 1))};
    case Encoding::ServiceStart:
        return {REG_DWORD, dwordData(shown ? 2 : 3)};
    case Encoding::Text:
        return {REG_SZ, registrystore::stringData(shownText(shown))};
    }
    return {};
}

inline void storeShown(const SettingCase &c, int shown)
{
    const RegValue v = encodedShown(c, shown);
    setRegistryValue(fullKey(c), QLatin1String(c.value), v.type, v.data);
}

// The setting made unreadable: the value deleted, or the system call failing.
inline void makeAbsent(const SettingCase &c)
{
    if (c.encoding == Encoding::BorderTwips) {
        machine::setSetting(QStringLiteral("fail.SystemParametersInfoW"), QString::number(SPI_GETBORDER));
    } else if (c.encoding == Encoding::ServiceStart) {
        machine::Lock lock; // the service itself is gone
        if (const qint64 node = registrystore::findKey(fullKey(c)))
            registrystore::deleteTree(node);
    } else {
        deleteRegistryValue(fullKey(c), QLatin1String(c.value));
    }
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
    case Control::Line: {
        const QString text = child<QLineEdit>(page, c.controlName)->text();
        return text.isEmpty() ? 0 : text.section(QLatin1Char(' '), 1).toInt();
    }
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
        child<QLineEdit>(page, "TitleBarSizeLineEdit")->setText(QString::number(shown));
        break;
    case Control::Spin:
        child<QSpinBox>(page, c.controlName)->setValue(shown);
        break;
    case Control::Line:
        child<QLineEdit>(page, c.controlName)->setText(shownText(shown));
        break;
    }
}
