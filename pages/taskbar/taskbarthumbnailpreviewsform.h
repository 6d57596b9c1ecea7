// How long the taskbar waits before it shows a window's thumbnail (setting 10), in milliseconds.
#pragma once

#include "numbersetting.h"
#include "settingpage.h"

namespace Ui {
class TaskbarThumbnailPreviewsForm;
}

class TaskbarThumbnailPreviewsForm : public SettingPage
{
    Q_OBJECT

public:
    explicit TaskbarThumbnailPreviewsForm(QWidget *parent = nullptr);
    ~TaskbarThumbnailPreviewsForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_TaskbarThumbnailPreviewsHorizontalSlider_valueChanged(int value);
    void on_TaskbarThumbnailPreviewsLineEdit_textChanged(const QString &text);
    void on_TaskbarThumbnailPreviewsPushButton_clicked();

private:
    Ui::TaskbarThumbnailPreviewsForm *ui;
    NumberSetting hoverTime; // 10
};
