// Virtualization-based Security (setting 511).
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class VBSFeatureForm;
}

class VBSFeatureForm : public SettingPage
{
    Q_OBJECT

public:
    explicit VBSFeatureForm(QWidget *parent = nullptr);
    ~VBSFeatureForm() override;

    bool writeData(bool fromStored, bool removeValue, QString storedValue);

private slots:
    void on_vbsComboBox_currentIndexChanged(int index);
    void on_vbsPushButton_clicked();

private:
    Ui::VBSFeatureForm *ui;
    ChoiceSetting vbs; // 511
};
