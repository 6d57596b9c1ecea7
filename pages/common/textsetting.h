// A setting shown as a line edit. Its sentence is a fixed prefix that ends in an opening double quote,
// the text, and a closing double quote with a full stop. Text pages have no Set Default.
#pragma once

#include "setting.h"
#include "settingstore.h"

class QLineEdit;
class QPlainTextEdit;

class TextSetting : public Setting
{
public:
    TextSetting(SettingPage *page, int id, TextStore store, QString prefix);

    void bind(QLineEdit *edit) { lineEdit = edit; }
    void bind(QPlainTextEdit *edit) { plainEdit = edit; }

    // The text as read at the last load (empty when the read failed).
    QString storedValue;

    void read() override;
    void report() override;
    void setDefault() override {}
    bool write(bool fromStored, bool removeValue, const QString &storedValue) override;
    bool currentText(QString *text) const override { return store.read(text); }

    QString describe(const QString &text) const;

private:
    // The text the control shows; false without a control.
    bool shownText(QString *text) const;

    QLineEdit *lineEdit = nullptr;
    QPlainTextEdit *plainEdit = nullptr;
    TextStore store;
    QString prefix;
};
