// A setting whose value is an integer (a DWORD or a system parameter): the common read and write steps
// of the combo, check box and number kinds.
#pragma once

#include "setting.h"
#include "settingstore.h"

class IntSetting : public Setting
{
public:
    IntSetting(SettingPage *page, int id, IntStore store, int preset);

    // The value as read at the last load.
    int storedValue = 0;

    void read() override;
    // A stored value (a backup's record) is written only when it is a number this setting's control could
    // have given; anything else is refused and leaves the system's value alone.
    bool write(bool fromStored, bool removeValue, const QString &storedValue) override;

    // The number a stored text spells: plain decimal as the catalogue writes it, within int range.
    static bool parseStored(const QString &text, int *value);

protected:
    // Whether the setting could have reported this value: never below what its control offers (a choice,
    // a number from the control's minimum up). Above, the system may hold more than the control offers
    // (Windows, a policy or an older version wrote it), and a backup of it gives it back.
    virtual bool canHold(int value) const = 0;
    // Puts the stored value into the control.
    virtual void show() = 0;
    // The value the control shows; false when it shows none (a combo without a current choice).
    virtual bool controlValue(int *value) const = 0;
    QString oldValue() const { return store.readText ? store.readText() : QString::number(storedValue); }

private:
    IntStore store;
    int preset;
};
