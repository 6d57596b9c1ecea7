#include "iconcachesizeform.h"
#include "ui_iconcachesizeform.h"

#include "pagelayout.h"

#include <memory>

namespace {

// "Max Cached Icons": REG_SZ holding a decimal number. A change reports the text as it was read, and text
// that is not a number counts as 0; a number is written back as the text of its unsigned 32-bit value.
IntStore cachedIconsText()
{
    const TextStore text =
        registryString(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer"),
                       QStringLiteral("Max Cached Icons"));
    auto lastRead = std::make_shared<QString>();
    IntStore store;
    store.read = [read = text.read, lastRead](int *value) {
        QString stored;
        const bool ok = read(&stored);
        *lastRead = ok ? stored : QString();
        if (ok)
            *value = stored.toInt();
        return ok;
    };
    store.write = [write = text.write](int value) { return write(QString::number(quint32(value))); };
    store.remove = text.remove;
    store.readText = [lastRead]() { return *lastRead; };
    return store;
}

} // namespace

IconCacheSizeForm::IconCacheSizeForm(QWidget *parent)
    : SettingPage(QStringLiteral("System"), QStringLiteral("Icon Cache Size"), parent), ui(new Ui::IconCacheSizeForm),
      cacheSize(this, 506, cachedIconsText(), 512, 10240,
                {QStringLiteral("Set the amount of icon cache size to "), 512, QStringLiteral(" kilobyte")})
{
    ui->setupUi(this);
    pagelayout::standard(this, ui->IconCacheSizeGroupBox, {ui->IconCacheSizeDescLabel, ui->IconCacheSizeDescLabel2},
                         {{ui->IconCacheSizeHorizontalSlider, ui->IconCacheSizeLineEdit, ui->IconCacheSizePushButton}});
    cacheSize.bind(ui->IconCacheSizeHorizontalSlider, ui->IconCacheSizeLineEdit);
    loadSetting();
}

IconCacheSizeForm::~IconCacheSizeForm()
{
    delete ui;
}

bool IconCacheSizeForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(506, fromStored, removeValue, storedValue);
}

void IconCacheSizeForm::on_IconCacheSizeHorizontalSlider_valueChanged(int)
{
    cacheSize.sliderMoved();
}

void IconCacheSizeForm::on_IconCacheSizeLineEdit_textChanged(const QString &)
{
    cacheSize.report();
}

void IconCacheSizeForm::on_IconCacheSizePushButton_clicked()
{
    cacheSize.setDefault();
}
