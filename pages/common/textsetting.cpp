#include "textsetting.h"

#include <QLineEdit>

TextSetting::TextSetting(SettingPage *page, int id, TextStore store, QString prefix)
    : Setting(page, id), store(std::move(store)), prefix(std::move(prefix))
{
}

QString TextSetting::describe(const QString &text) const
{
    return prefix + text + QStringLiteral("\".");
}

void TextSetting::read()
{
    QString text;
    missing = !store.read(&text);
    storedValue = missing ? QString() : text;
    if (lineEdit)
        lineEdit->setText(storedValue);
}

void TextSetting::report()
{
    if (lineEdit)
        emitChange(describe(lineEdit->text()), storedValue, describe(storedValue));
}

bool TextSetting::write(bool fromStored, bool removeValue, const QString &stored)
{
    if (fromStored && removeValue)
        return store.remove();
    if (!fromStored && !lineEdit)
        return false;
    return store.write(fromStored ? stored : lineEdit->text());
}
