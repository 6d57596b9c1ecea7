// The folder Win+PrtScr saves screenshots to (setting 105), a user shell folder, in a line edit with a
// browse button.
#pragma once

#include "setting.h"
#include "settingpage.h"

namespace Ui {
class ScreenshotLocationForm;
}

class QLineEdit;
class ScreenshotLocationForm;

class ScreenshotFolderSetting : public Setting
{
public:
    ScreenshotFolderSetting(ScreenshotLocationForm *page, QLineEdit *edit);

    // The value's text as stored at the last load, variables unexpanded (empty when it could not be read).
    QString storedValue;

    void read() override;
    void report() override;
    void setDefault() override {}
    bool write(bool fromStored, bool removeValue, const QString &storedValue) override;
    bool currentText(QString *text) const override;

private:
    // What the field shows for the stored value: the folder expanded, or the default one when absent.
    QString shownFolder() const;

    ScreenshotLocationForm *form;
    QLineEdit *edit;
};

class ScreenshotLocationForm : public SettingPage
{
    Q_OBJECT

public:
    explicit ScreenshotLocationForm(QWidget *parent = nullptr);
    ~ScreenshotLocationForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);
    // The Pictures folder's "Screenshots", or the Pictures folder itself when it has none. Also kept as the
    // folder that the descriptions call the default.
    QString defaultScreenshotFolder();
    // "Change screenshot location to ..." with " (default)." for the default folder, in any letter case.
    QString describe(const QString &folder) const;

private slots:
    void on_ScreenshotLocationLineEdit_textChanged(const QString &text);
    void on_ScreenshotLocationToolButton_clicked();

private:
    QString defaultFolder; // empty until defaultScreenshotFolder has run
    Ui::ScreenshotLocationForm *ui;
    ScreenshotFolderSetting *folder = nullptr; // 105
};
