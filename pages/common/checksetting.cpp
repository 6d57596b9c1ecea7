#include "checksetting.h"

#include <QCheckBox>

CheckSetting::CheckSetting(SettingPage *page, int id, IntStore store, int preset, int checkedValue, int uncheckedValue,
                           Texts texts, bool defaultTicked)
    : IntSetting(page, id, std::move(store), preset), checkedValue(checkedValue), uncheckedValue(uncheckedValue),
      texts(std::move(texts)), defaultTicked(defaultTicked)
{
}

void CheckSetting::show()
{
    if (checkBox)
        checkBox->setChecked(storedValue == checkedValue);
}

void CheckSetting::report()
{
    if (!checkBox)
        return;
    const QString desc = checkBox->checkState() == Qt::Checked ? texts.ticked : texts.cleared;
    emitChange(desc, oldValue(), storedValue == checkedValue ? texts.ticked : texts.cleared);
}

void CheckSetting::setDefault()
{
    if (checkBox)
        checkBox->setChecked(defaultTicked);
}

bool CheckSetting::controlValue(int *value) const
{
    if (!checkBox)
        return false;
    *value = checkBox->checkState() == Qt::Checked ? checkedValue : uncheckedValue;
    return true;
}

bool CheckSetting::canHold(int value) const
{
    return value >= qMin(checkedValue, uncheckedValue);
}
