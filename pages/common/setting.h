// One setting of a page: its fixed id and whether its last read failed. The kinds of setting (choice,
// check box, number, text) bind it to the page's designer control; the page's change and Set Default
// slots call report() and setDefault(), the page's operations call read() and write().
#pragma once

#include <QString>

class SettingPage;

class Setting
{
public:
    // Registers with the page: declare a page's settings in id order.
    Setting(SettingPage *page, int id);
    virtual ~Setting();
    Setting(const Setting &) = delete;
    Setting &operator=(const Setting &) = delete;

    int id() const { return settingId; }
    // True when the last read failed (value or key absent, wrong type, refused call).
    bool missing = false;
    // False for a setting that is never absent (a key's presence, a service's start type): a restore then
    // writes the recorded value back, whatever the record says about removing it.
    bool restoreMayRemove = true;

    // Preset, read, stored value and missing flag, and only then the control.
    virtual void read() = 0;
    // Emits settingChanged for what the control shows now, against the stored value.
    virtual void report() = 0;
    // Puts the control to the default; the control's own change slot reports, if anything changed.
    virtual void setDefault() = 0;
    // See SettingPage::writeSetting. True when the system holds the value afterwards.
    virtual bool write(bool fromStored, bool removeValue, const QString &storedValue) = 0;
    // The value the system holds now, as the text a restore would write; false when it cannot be read or
    // the setting is no text.
    virtual bool currentText(QString *) const { return false; }

protected:
    void emitChange(const QString &desc, const QString &oldValue, const QString &oldDesc);

private:
    SettingPage *page;
    int settingId;
};
