#include "numbersetting.h"

#include "numberfield.h"

#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>

NumberSetting::NumberSetting(SettingPage *page, int id, IntStore store, int preset, int maximum, Texts texts)
    : IntSetting(page, id, std::move(store), preset), maximum(maximum), texts(std::move(texts))
{
}

void NumberSetting::bind(QSlider *s, QLineEdit *f)
{
    slider = s;
    field = f;
    // Its designed width stays wherever the slider's largest number fits.
    numberfield::fitNumber(f, s->maximum());
}

void NumberSetting::bind(QSpinBox *s)
{
    spinBox = s;
}

QString NumberSetting::describe(int number) const
{
    if (texts.defaultForm && number == texts.defaultValue)
        return texts.prefix + QString::number(texts.defaultValue) + texts.unit + QStringLiteral(" (default).");
    return texts.prefix + QString::number(number) + texts.unit + QStringLiteral(".");
}

void NumberSetting::show()
{
    if (slider) {
        slider->setValue(storedValue); // the number field follows through the slider's slot
        // A slider that did not move leaves the field as typed: show the number all the same.
        if (field && field->text() != QString::number(slider->value()))
            sliderMoved();
    } else if (spinBox) {
        spinBox->setValue(storedValue);
    }
}

void NumberSetting::sliderMoved()
{
    if (slider && field)
        field->setText(QString::number(slider->value()));
}

void NumberSetting::report()
{
    const QString oldDesc = describe(missing && texts.defaultForm ? texts.defaultValue : storedValue);
    if (slider && field) {
        // Text that is not a number counts as 0. When the clamp moves the slider, the field is rewritten
        // and this runs once more, inside, with the same result.
        const int number = qBound(0, field->text().toInt(), maximum);
        slider->setValue(number);
        emitChange(describe(number), oldValue(), oldDesc);
    } else if (spinBox) {
        emitChange(describe(spinBox->value()), oldValue(), oldDesc);
    }
}

void NumberSetting::setDefault()
{
    if (slider)
        slider->setValue(texts.defaultValue);
    else if (spinBox)
        spinBox->setValue(texts.defaultValue);
}

bool NumberSetting::controlValue(int *value) const
{
    if (slider)
        *value = slider->value();
    else if (spinBox)
        *value = spinBox->value();
    else
        return false;
    return true;
}

bool NumberSetting::canHold(int value) const
{
    if (slider)
        return value >= slider->minimum();
    if (spinBox)
        return value >= spinBox->minimum();
    return value >= 0;
}
