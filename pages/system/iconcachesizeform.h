// The size of Explorer's icon cache in kilobytes (setting 506), kept as registry text, on a slider with a
// number field.
#pragma once

#include "numbersetting.h"
#include "settingpage.h"

namespace Ui {
class IconCacheSizeForm;
}

class IconCacheSizeForm : public SettingPage
{
    Q_OBJECT

public:
    explicit IconCacheSizeForm(QWidget *parent = nullptr);
    ~IconCacheSizeForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_IconCacheSizeHorizontalSlider_valueChanged(int value);
    void on_IconCacheSizeLineEdit_textChanged(const QString &text);
    void on_IconCacheSizePushButton_clicked();

private:
    Ui::IconCacheSizeForm *ui;
    NumberSetting cacheSize; // 506
};
