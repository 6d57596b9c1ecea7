#include "iconspacingform.h"
#include "ui_iconspacingform.h"

#include "pagelayout.h"

#include <QVBoxLayout>

namespace {

const int defaultSpacing = 1125;

// The spacing as the registry text "-1125" of a shown 1125. A positive text shows the default, text that
// is not a number shows 0; the shown number is written back negated ("0" for 0).
IntStore spacingValue(const char *name)
{
    const TextStore text =
        registryString(HKEY_CURRENT_USER, QStringLiteral("Control Panel\\Desktop\\WindowMetrics"), QLatin1String(name));
    IntStore store;
    store.read = [read = text.read](int *value) {
        QString stored;
        const bool ok = read(&stored);
        const qint64 n = stored.toLongLong();
        *value = n > 0 ? defaultSpacing : int(qMin<qint64>(-n, INT_MAX));
        return ok;
    };
    store.write = [write = text.write](int value) { return write(QString::number(-qint64(value))); };
    store.remove = text.remove;
    return store;
}

} // namespace

IconSpacingForm::IconSpacingForm(QWidget *parent)
    : SettingPage(QStringLiteral("Desktop"), QStringLiteral("desktop icon horizontal spacing vertical spacing"),
                  parent),
      ui(new Ui::IconSpacingForm),
      horizontal(this, 205, spacingValue("IconSpacing"), 0, 2000,
                 {QStringLiteral("Change desktop horizontal icon spacing to "), defaultSpacing}),
      vertical(this, 206, spacingValue("IconVerticalSpacing"), 0, 2000,
               {QStringLiteral("Change desktop vertical icon spacing to "), defaultSpacing})
{
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->iconSpacingGroupBox);
    box->addWidget(ui->iconSpacingDescLabel);
    box->addWidget(ui->iconSpacingImage1);
    box->addLayout(pagelayout::row({ui->iconSpacingHLabel, ui->iconSpacingHSpinBox, nullptr, ui->iconSpacingVLabel,
                                    ui->iconSpacingVSpinBox, nullptr, ui->iconSpacingPushButton}));
    horizontal.bind(ui->iconSpacingHSpinBox);
    vertical.bind(ui->iconSpacingVSpinBox);
    loadSetting();
}

IconSpacingForm::~IconSpacingForm()
{
    delete ui;
}

bool IconSpacingForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void IconSpacingForm::on_iconSpacingHSpinBox_valueChanged(int)
{
    horizontal.report();
}

void IconSpacingForm::on_iconSpacingVSpinBox_valueChanged(int)
{
    vertical.report();
}

void IconSpacingForm::on_iconSpacingPushButton_clicked()
{
    horizontal.setDefault();
    vertical.setDefault();
}
