#include "choicesetting.h"

#include <QComboBox>

ChoiceSetting::ChoiceSetting(SettingPage *page, int id, IntStore store, int preset, QList<Choice> choices,
                             int defaultIndex)
    : IntSetting(page, id, std::move(store), preset), choices(std::move(choices)), defaultIndex(defaultIndex)
{
}

void ChoiceSetting::bind(QComboBox *comboBox)
{
    combo = comboBox;
    for (const Choice &c : std::as_const(choices))
        combo->addItem(c.text);
}

int ChoiceSetting::indexOf(int value) const
{
    if (choiceValues.isEmpty())
        return value >= 0 && value < choices.size() ? value : -1;
    const int index = choiceValues.indexOf(value);
    return index >= 0 ? index : otherChoice;
}

QString ChoiceSetting::describeIndex(int index) const
{
    if (choices.size() == 2)
        return choices.at(index != 0 ? 1 : 0).sentence;
    return index >= 0 && index < choices.size() ? choices.at(index).sentence : QString();
}

QString ChoiceSetting::describeValue(int value) const
{
    return describeIndex(indexOf(value));
}

void ChoiceSetting::show()
{
    if (combo)
        combo->setCurrentIndex(indexOf(storedValue)); // a value without a choice leaves the combo empty
}

void ChoiceSetting::report()
{
    if (combo)
        emitChange(describeIndex(combo->currentIndex()), oldValue(), describeValue(storedValue));
}

void ChoiceSetting::setDefault()
{
    if (combo)
        combo->setCurrentIndex(defaultIndex);
}

bool ChoiceSetting::controlValue(int *value) const
{
    const int index = combo ? combo->currentIndex() : -1;
    // With no current choice there is nothing to write; -1 is no value of the setting.
    if (index < 0 || index >= choices.size())
        return false;
    *value = choiceValues.isEmpty() ? index : choiceValues.value(index);
    return true;
}
