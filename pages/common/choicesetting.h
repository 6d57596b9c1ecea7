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
    // otherIndex: the choice that a value outside the list selects (-1: none).
    void setValues(QList<int> values, int otherIndex = -1)
    {
        choiceValues = std::move(values);
        otherChoice = otherIndex;
    }
    // Inserts the choices into the designer's combo box, which then reports through the page's slot.
    void bind(QComboBox *combo);

    void report() override;
    void setDefault() override;

    // The sentence of a choice. With two choices every position but 0 (a missing choice included) takes
    // the second sentence.
    QString describeIndex(int index) const;
    // The sentence of a stored value.
    QString describeValue(int value) const;

protected:
    void show() override;
    bool controlValue(int *value) const override;

private:
    int indexOf(int value) const;

    QComboBox *combo = nullptr;
    QList<Choice> choices;
    QList<int> choiceValues;
    int otherChoice = -1;
    int defaultIndex;
};
