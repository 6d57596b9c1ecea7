// A setting shown as a check box: ticked exactly when the stored value is checkedValue; a ticked box
// writes checkedValue, a cleared one uncheckedValue.
#pragma once

#include "intsetting.h"

class QCheckBox;

class CheckSetting : public IntSetting
{
public:
    struct Texts
    {
        QString ticked;  // the sentence for the ticked box, and for a stored checkedValue
        QString cleared; // for the cleared box, and for any other stored value
    };

    CheckSetting(SettingPage *page, int id, IntStore store, int preset, int checkedValue, int uncheckedValue,
                 Texts texts, bool defaultTicked);

    void bind(QCheckBox *box) { checkBox = box; }

    void report() override;
    void setDefault() override;

protected:
    void show() override;
    bool controlValue(int *value) const override;
    bool canHold(int value) const override;

private:
    QCheckBox *checkBox = nullptr;
    int checkedValue;
    int uncheckedValue;
    Texts texts;
    bool defaultTicked;
};
