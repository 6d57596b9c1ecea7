#include "titlebarsizeform.h"
#include "ui_titlebarsizeform.h"

#include "pagelayout.h"

namespace {

IntStore borderParameter(int defaultSize)
{
    IntStore store;
    store.read = [](int *value) {
        int size = *value;
        if (!SystemParametersInfoW(SPI_GETBORDER, 0, &size, 0))
            return false;
        *value = size;
        return true;
    };
    store.write = [](int value) {
        return SystemParametersInfoW(SPI_SETBORDER, UINT(value), nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) != 0;
    };
    store.remove = [write = store.write, defaultSize]() { return write(defaultSize); };
    return store;
}

} // namespace

TitleBarSizeForm::TitleBarSizeForm(QWidget *parent)
    : SettingPage(QStringLiteral("Appearance"), QStringLiteral("Title Bar Size"), parent), defaultSize(1),
      ui(new Ui::TitleBarSizeForm), titleBarSize(this, 403, borderParameter(defaultSize), defaultSize, 50,
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
