// A setting shown as a combo box of fixed choices. Each choice has its text (the default one carries
// " (Default)" or " (default)" as the page spells it) and the sentence that describes it; a choice's
// position is the value it stands for unless the page gives the values.
#pragma once

#include "intsetting.h"

#include <QList>

class QComboBox;

struct Choice
{
    QString text;
    QString sentence;
};

class ChoiceSetting : public IntSetting
{
public:
    ChoiceSetting(SettingPage *page, int id, IntStore store, int preset, QList<Choice> choices, int defaultIndex);

    // Values of the choices, in choice order, for pages whose values are not the positions.
    // otherIndex: the choice that a value outside the list selects (-1: none), as setUnlistedIndex.
    void setValues(QList<int> values, int otherIndex = -1)
    {
        choiceValues = std::move(values);
        unlistedIndex = otherIndex;
    }
    // The choice shown for a value that has none of its own; without it the combo then shows no choice.
    void setUnlistedIndex(int index) { unlistedIndex = index; }
    // With more than two choices: the sentence of a position or value that has no choice.
    void setOtherSentence(QString sentence) { otherSentence = std::move(sentence); }
    // Every value without a choice is described as the last choice (a level beyond the highest offered).
    void describeOthersAsLast() { setOtherSentence(choices.isEmpty() ? QString() : choices.last().sentence); }
    // Inserts the choices into the designer's combo box, which then reports through the page's slot.
    void bind(QComboBox *combo);

    void report() override;
    void setDefault() override;

    // The sentence of a choice. With two choices (or describeOthersAsLast) every position without a choice
    // takes the last sentence.
    QString describeIndex(int index) const;
    // The sentence of a stored value.
    QString describeValue(int value) const;

protected:
    void show() override;
    bool controlValue(int *value) const override;
    bool canHold(int value) const override;

private:
    int indexOf(int value) const;

    QComboBox *combo = nullptr;
    QList<Choice> choices;
    QList<int> choiceValues;
    int defaultIndex;
    int unlistedIndex = -1;
    QString otherSentence;
};
