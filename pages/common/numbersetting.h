// A setting shown as a number: either a slider with a number field beside it, or a spin box. Its sentence
// is a fixed prefix, the number and "."; the default number ends in " (default)." instead.
#pragma once

#include "intsetting.h"

class QLineEdit;
class QSlider;
class QSpinBox;

class NumberSetting : public IntSetting
{
public:
    struct Texts
    {
        QString prefix;           // "Set the size of windows's title bar to "
        int defaultValue;         // the number whose sentence says "(default)"
        QString unit = QString(); // between the number and the full stop: " kilobyte"
        bool defaultForm = true;  // false: no number is described as the default
    };

    // maximum: the highest number the field takes (typed numbers are clamped to 0..maximum).
    NumberSetting(SettingPage *page, int id, IntStore store, int preset, int maximum, Texts texts);

    void bind(QSlider *slider, QLineEdit *field);
    void bind(QSpinBox *spinBox);

    // The slider moved: the number field follows; reports nothing itself.
    void sliderMoved();
    // Slider pages: the number field changed: clamp it, move the slider, report. Spin box pages: report.
    void report() override;
    void setDefault() override;

    QString describe(int number) const;

protected:
    void show() override;
    bool controlValue(int *value) const override;
    bool canHold(int value) const override;

private:
    QSlider *slider = nullptr;
    QLineEdit *field = nullptr;
    QSpinBox *spinBox = nullptr;
    int maximum;
    Texts texts;
};
