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
    int index = -1;
    if (choiceValues.isEmpty())
        index = value >= 0 && value < choices.size() ? value : -1;
    else
        index = choiceValues.indexOf(value);
    return index >= 0 ? index : unlistedIndex;
}

QString ChoiceSetting::describeIndex(int index) const
{
    if (choices.size() == 2)
        return choices.at(index != 0 ? 1 : 0).sentence;
    return index >= 0 && index < choices.size() ? choices.at(index).sentence : otherSentence;
}

QString ChoiceSetting::describeValue(int value) const
{
    return describeIndex(indexOf(value));
}

bool ChoiceSetting::canHold(int value) const
{
    return value >= 0; // no DWORD of a choice is read as a negative number
}

void ChoiceSetting::show()
{
    if (!combo)
        return;
    const int index = indexOf(storedValue);
    combo->setCurrentIndex(index); // an unlisted value without an unlisted index shows no choice
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
