// The Windows version and build number painted on the desktop (setting 207). Applying it asks for a
// shell notification.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class WinVersionOnDesktopForm;
}

class WinVersionOnDesktopForm : public SettingPage
{
    Q_OBJECT

public:
    explicit WinVersionOnDesktopForm(QWidget *parent = nullptr);
    ~WinVersionOnDesktopForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_WinVersionComboBox_currentIndexChanged(int index);
    void on_WinVersionPushButton_clicked();

private:
    Ui::WinVersionOnDesktopForm *ui;
    ChoiceSetting winVersion; // 207
};
