// The window border size (setting 403), a system parameter, on a slider with a number field.
#pragma once

#include "numbersetting.h"
#include "settingpage.h"

namespace Ui {
class TitleBarSizeForm;
}

class TitleBarSizeForm : public SettingPage
{
    Q_OBJECT

public:
    explicit TitleBarSizeForm(QWidget *parent = nullptr);
    ~TitleBarSizeForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_TitleBarSizeHorizontalSlider_valueChanged(int value);
    void on_TitleBarSizeLineEdit_textChanged(const QString &text);
    void on_TitleBarSizePushButton_clicked();

private:
    // The system's own border size: shown when the system cannot be asked, and written back when a
    // change made from such a state is restored (a system parameter cannot be deleted).
    int defaultSize;
    Ui::TitleBarSizeForm *ui;
    NumberSetting titleBarSize; // 403
};
