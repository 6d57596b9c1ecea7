#include "secondinclockform.h"
#include "ui_secondinclockform.h"

#include "pagelayout.h"
#include "taskbarstores.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

SecondInClockForm::SecondInClockForm(QWidget *parent)
    : SettingPage(QStringLiteral("System"), QStringLiteral("seconds taskbar clock"), parent),
      ui(new Ui::SecondInClockForm),
      seconds(
          this, 13, taskbarstore::advancedDword(QStringLiteral("ShowSecondsInSystemClock")), 0,
          {{QStringLiteral("Don't show second in the Taskbar Clock (Default)"),
            QStringLiteral("Don't show second in the Taskbar Clock (Default).")},
           {QStringLiteral("Show second in the Taskbar Clock"), QStringLiteral("Show second in the Taskbar Clock.")}},
          0)
{
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    pagelayout::standard(this, ui->SecondTaskbarClockGroupBox,
                         {ui->SecondTaskbarClockDescLabel, ui->SecondTaskbarClockImage},
                         {{ui->SecondTaskbarClockComboBox, ui->SecondTaskbarClockPushButton}});
    seconds.bind(ui->SecondTaskbarClockComboBox);
    loadSetting();
}

SecondInClockForm::~SecondInClockForm()
{
    delete ui;
}

bool SecondInClockForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(13, fromStored, removeValue, storedValue);
}

void SecondInClockForm::on_SecondTaskbarClockComboBox_currentIndexChanged(int)
{
    seconds.report();
}

void SecondInClockForm::on_SecondTaskbarClockPushButton_clicked()
{
    seconds.setDefault();
}
