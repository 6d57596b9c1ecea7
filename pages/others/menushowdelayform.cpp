#include "menushowdelayform.h"
#include "ui_menushowdelayform.h"

#include "pagelayout.h"

#include <climits>

MenuShowDelayForm::MenuShowDelayForm(QWidget *parent)
    : SettingPage(QStringLiteral("Others"), QStringLiteral("Menu Show Delay"), parent), defaultDelay(400),
      ui(new Ui::MenuShowDelayForm),
      menuShowDelay(this, 102, systemParameter(SPI_GETMENUSHOWDELAY, SPI_SETMENUSHOWDELAY, defaultDelay), defaultDelay,
                    400, {QStringLiteral("Set menu show delay value to "), defaultDelay})
{
    ui->setupUi(this);
    pagelayout::standard(this, ui->MenuShowDelayGroupBox, {ui->MenuShowDelayDescLabel, ui->MenuShowDelayDescLabel2},
                         {{ui->MenuShowDelayHorizontalSlider, ui->MenuShowDelayLineEdit, ui->MenuShowDelayPushButton}});
    menuShowDelay.bind(ui->MenuShowDelayHorizontalSlider, ui->MenuShowDelayLineEdit);
    loadSetting();
}

MenuShowDelayForm::~MenuShowDelayForm()
{
    delete ui;
}

bool MenuShowDelayForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(102, fromStored, removeValue, storedValue);
}

QString MenuShowDelayForm::menuShowDelayDesc(unsigned int value, bool current) const
{
    if (!current && menuShowDelay.missing)
        return menuShowDelay.describe(defaultDelay);
    return menuShowDelay.describe(int(qMin<unsigned int>(value, INT_MAX)));
}

void MenuShowDelayForm::on_MenuShowDelayHorizontalSlider_valueChanged(int)
{
    menuShowDelay.sliderMoved();
}

void MenuShowDelayForm::on_MenuShowDelayLineEdit_textChanged(const QString &)
{
    menuShowDelay.report();
}

void MenuShowDelayForm::on_MenuShowDelayPushButton_clicked()
{
    menuShowDelay.setDefault();
}
