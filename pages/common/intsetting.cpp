#include "intsetting.h"

IntSetting::IntSetting(SettingPage *page, int id, IntStore store, int preset)
    : Setting(page, id), store(std::move(store)), preset(preset)
{
}

void IntSetting::read()
{
    int value = preset;
    missing = !store.read(&value);
    storedValue = value;
    show();
}

bool IntSetting::write(bool fromStored, bool removeValue, const QString &stored)
{
    if (fromStored && removeValue)
        return store.remove();
    int value = 0;
    if (fromStored) {
        if (!parseStored(stored, &value) || !canHold(value))
            return false;
    } else if (!controlValue(&value)) {
        return false;
    }
    return store.write(value);
}

bool IntSetting::parseStored(const QString &text, int *value)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    // Only the number's own spelling: no blanks, signs, leading zeros or other bases.
    if (!ok || QString::number(number) != text)
        return false;
    *value = number;
    return true;
}
