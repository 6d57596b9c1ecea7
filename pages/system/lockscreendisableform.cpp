#include "lockscreendisableform.h"
#include "ui_lockscreendisableform.h"

#include "pagelayout.h"

#include <QComboBox>
#include <QVBoxLayout>

namespace {

const QString personalization = QStringLiteral("SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization");
const int backgroundLocked = 1; // "Yes": users may not change the background

} // namespace

void LockScreenBackgroundSetting::bindCombo(QComboBox *combo)
{
    backgroundCombo = combo;
    bind(combo);
}

void LockScreenBackgroundSetting::show()
{
    if (lockScreenOff && backgroundCombo)
        backgroundCombo->setCurrentIndex(backgroundLocked);
    else
        ChoiceSetting::show();
}

bool LockScreenBackgroundSetting::write(bool fromStored, bool removeValue, const QString &stored)
{
    // Nothing to apply: the choice is not the user's while the lock screen is off, and a value without a
    // choice (re-read when the lock screen came back) stays as the system holds it.
    if (!fromStored && (lockScreenOff || (backgroundCombo && backgroundCombo->currentIndex() < 0)))
        return true;
    return ChoiceSetting::write(fromStored, removeValue, stored);
}

LockScreenDisableForm::LockScreenDisableForm(QWidget *parent)
    : SettingPage(QStringLiteral("System"), QStringLiteral("lock screen Background"), parent),
      ui(new Ui::LockScreenDisableForm),
      lockScreen(this, 502, registryDword(HKEY_LOCAL_MACHINE, personalization, QStringLiteral("NoLockScreen")), 0,
                 {{QStringLiteral("Disable"), QStringLiteral("Disable lock screen.")},
                  {QStringLiteral("Enable (Default)"), QStringLiteral("Enable lock screen (default).")}},
                 1),
      background(
          this, 503, registryDword(HKEY_LOCAL_MACHINE, personalization, QStringLiteral("NoChangingLockScreen")), 0,
          {{QStringLiteral("No (Default)"), QStringLiteral("Let users change the Lock Screen Background (default).")},
           {QStringLiteral("Yes"), QStringLiteral("Prevent users from changing the Lock Screen Background.")}},
          0)
{
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::standard(
        this, ui->LockScreenDisableGroupBox,
        {ui->LockScreenDisableDescLabel, ui->LockScreenDisableDescLabel2, ui->LockScreenDisableImage},
        {{ui->LockScreenDisableComboBox, ui->LockScreenDisablePushButton}});
    box->addSpacing(20);
    box->addWidget(ui->ChangeLockScreenBackDescLabel);
    box->addLayout(pagelayout::row({ui->ChangeLockScreenBackComboBox, ui->ChangeLockScreenBackPushButton}));
    // Any value but 0 turns the lock screen off.
    lockScreen.setValues({1, 0}, 0);
    lockScreen.bind(ui->LockScreenDisableComboBox);
    background.bindCombo(ui->ChangeLockScreenBackComboBox);
    loadSetting();
}

LockScreenDisableForm::~LockScreenDisableForm()
{
    delete ui;
}

void LockScreenDisableForm::loadSetting()
{
    lockScreen.read();
    followLockScreen();
    background.read();
}

void LockScreenDisableForm::followLockScreen()
{
    background.lockScreenOff = ui->LockScreenDisableComboBox->currentIndex() == 0;
    ui->ChangeLockScreenBackComboBox->setEnabled(!background.lockScreenOff);
    ui->ChangeLockScreenBackPushButton->setEnabled(!background.lockScreenOff);
}

bool LockScreenDisableForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void LockScreenDisableForm::on_LockScreenDisableComboBox_currentIndexChanged(int)
{
    followLockScreen();
    lockScreen.report();
    if (background.lockScreenOff)
        ui->ChangeLockScreenBackComboBox->setCurrentIndex(backgroundLocked);
    else
        background.read(); // the user's choice again, as the system holds it
}

void LockScreenDisableForm::on_ChangeLockScreenBackComboBox_currentIndexChanged(int)
{
    background.report();
}

void LockScreenDisableForm::on_LockScreenDisablePushButton_clicked()
{
    lockScreen.setDefault();
}

void LockScreenDisableForm::on_ChangeLockScreenBackPushButton_clicked()
{
    background.setDefault();
}
