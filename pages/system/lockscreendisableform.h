// The lock screen (setting 502) and whether users may change its background (503). While the lock screen
// is off the background choice shows "Yes", greyed out, and applying changes writes nothing for it.
#pragma once

#include "choicesetting.h"
#include "settingpage.h"

namespace Ui {
class LockScreenDisableForm;
}

// The background choice, which follows the lock screen's.
class LockScreenBackgroundSetting : public ChoiceSetting
{
public:
    using ChoiceSetting::ChoiceSetting;

    // The page shows the lock screen as disabled.
    bool lockScreenOff = false;

    void bindCombo(QComboBox *combo);
    // A restore always puts the value back; a change made while the lock screen is off is not written.
    bool write(bool fromStored, bool removeValue, const QString &storedValue) override;

protected:
    void show() override;

private:
    QComboBox *backgroundCombo = nullptr;
};

class LockScreenDisableForm : public SettingPage
{
    Q_OBJECT

public:
    explicit LockScreenDisableForm(QWidget *parent = nullptr);
    ~LockScreenDisableForm() override;

    bool writeData(int index, bool fromStored, bool removeValue, QString storedValue);
    // Both values are read every time, the background one also while the lock screen is off, so that a
    // restore of it puts back what the system held.
    void loadSetting() override;

private slots:
    void on_LockScreenDisableComboBox_currentIndexChanged(int index);
    void on_ChangeLockScreenBackComboBox_currentIndexChanged(int index);
    void on_LockScreenDisablePushButton_clicked();
    void on_ChangeLockScreenBackPushButton_clicked();

private:
    // Greys the background row out while the lock screen is off.
    void followLockScreen();

    Ui::LockScreenDisableForm *ui;
    ChoiceSetting lockScreen;               // 502
    LockScreenBackgroundSetting background; // 503
};
