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
    if (fromStored)
        value = stored.toInt(); // text that is not a number counts as 0
    else if (!controlValue(&value))
        return false;
    return store.write(value);
}
