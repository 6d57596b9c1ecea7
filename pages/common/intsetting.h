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
    bool write(bool fromStored, bool removeValue, const QString &storedValue) override;

protected:
    // Puts the stored value into the control.
    virtual void show() = 0;
    // The value the control shows; false when it shows none (a combo without a current choice).
    virtual bool controlValue(int *value) const = 0;
    QString oldValue() const { return store.readText ? store.readText() : QString::number(storedValue); }

private:
    IntStore store;
    int preset;
};
