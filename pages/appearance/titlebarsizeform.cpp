#include "titlebarsizeform.h"
#include "ui_titlebarsizeform.h"

#include "pagelayout.h"

TitleBarSizeForm::TitleBarSizeForm(QWidget *parent)
    : SettingPage(QStringLiteral("Appearance"), QStringLiteral("Title Bar Size"), parent), defaultSize(1),
      ui(new Ui::TitleBarSizeForm),
      titleBarSize(this, 403, systemParameter(SPI_GETBORDER, SPI_SETBORDER, defaultSize), defaultSize, 50,
                   {QStringLiteral("Set the size of windows's title bar to "), 1})
{
    ui->setupUi(this);
    pagelayout::standard(this, ui->TitleBarSizeGroupBox,
                         {ui->TitleBarSizeDescLabel, ui->TitleBarSizeDescLabel2, ui->TitleBarSizeImage},
                         {{ui->TitleBarSizeHorizontalSlider, ui->TitleBarSizeLineEdit, ui->TitleBarSizePushButton}});
    titleBarSize.bind(ui->TitleBarSizeHorizontalSlider, ui->TitleBarSizeLineEdit);
    loadSetting();
}

TitleBarSizeForm::~TitleBarSizeForm()
{
    delete ui;
}

bool TitleBarSizeForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(403, fromStored, removeValue, storedValue);
}

void TitleBarSizeForm::on_TitleBarSizeHorizontalSlider_valueChanged(int)
{
    titleBarSize.sliderMoved();
}

void TitleBarSizeForm::on_TitleBarSizeLineEdit_textChanged(const QString &)
{
    titleBarSize.report();
}

void TitleBarSizeForm::on_TitleBarSizePushButton_clicked()
{
    titleBarSize.setDefault();
}
