#include "screenshotcounterform.h"
#include "ui_screenshotcounterform.h"

#include "pagelayout.h"

#include <climits>

ScreenshotCounterForm::ScreenshotCounterForm(QWidget *parent)
    : SettingPage(QStringLiteral("Others"), QStringLiteral("reset Screenshot Counter"), parent),
      ui(new Ui::ScreenshotCounterForm),
      counter(this, 104,
              registryDword(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"),
                            QStringLiteral("ScreenshotIndex")),
              1, INT_MAX, {QStringLiteral("Set the screenshot counter to \""), 1, QStringLiteral("\""), false})
{
    ui->setupUi(this);
    // The spin box takes every index the system may hold, so a high one shows as itself.
    pagelayout::standard(this, ui->ScreenshotCounterGroupBox,
                         {ui->ScreenshotCounterDescLabel, ui->ScreenshotCounterDescLabel2},
                         {{ui->ScreenshotCounterLabel, ui->ScreenshotCounterSpinBox}});
    counter.bind(ui->ScreenshotCounterSpinBox);
    loadSetting();
}

ScreenshotCounterForm::~ScreenshotCounterForm()
{
    delete ui;
}

bool ScreenshotCounterForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(104, fromStored, removeValue, storedValue);
}

void ScreenshotCounterForm::on_ScreenshotCounterSpinBox_valueChanged(int)
{
    counter.report();
}
