#include "textsetting.h"

#include <QLineEdit>
#include <QPlainTextEdit>

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
    else if (plainEdit && plainEdit->toPlainText() != storedValue)
        plainEdit->setPlainText(storedValue); // the same text would still notify
}

bool TextSetting::shownText(QString *text) const
{
    if (lineEdit)
        *text = lineEdit->text();
    else if (plainEdit)
        *text = plainEdit->toPlainText();
    else
        return false;
    return true;
}

void TextSetting::report()
{
    QString text;
    if (shownText(&text))
        emitChange(describe(text), storedValue, describe(storedValue));
}

bool TextSetting::write(bool fromStored, bool removeValue, const QString &stored)
{
    if (fromStored && removeValue)
        return store.remove();
    QString text = stored;
    if (!fromStored && !shownText(&text))
        return false;
    return store.write(text);
}
