#include "textsetting.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace {

// The text as a plain-text box gives it back: its line breaks (CR LF, CR) become LF.
QString asShownInBox(const QString &text)
{
    QTextDocument document;
    document.setPlainText(text);
    return document.toPlainText();
}

// The box's text with the line breaks of the stored text, so a save keeps the ones the value had.
QString withBreaksOf(const QString &stored, QString shown)
{
    if (stored.contains(QLatin1String("\r\n")))
        return shown.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    if (stored.contains(QLatin1Char('\r')))
        return shown.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return shown;
}

} // namespace

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
    else if (plainEdit && plainEdit->toPlainText() != asShownInBox(storedValue))
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
    // The stored text is described as the box shows it, so only a change of the words differs.
    if (shownText(&text))
        emitChange(describe(text), storedValue, describe(plainEdit ? asShownInBox(storedValue) : storedValue));
}

bool TextSetting::write(bool fromStored, bool removeValue, const QString &stored)
{
    if (fromStored && removeValue)
        return store.remove();
    QString text = stored;
    if (!fromStored && !shownText(&text))
        return false;
    if (!fromStored && plainEdit)
        text = withBreaksOf(storedValue, text);
    return store.write(text);
}
