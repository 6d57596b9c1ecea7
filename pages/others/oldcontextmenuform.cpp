#include "oldcontextmenuform.h"
#include "ui_oldcontextmenuform.h"

#include "krutils.h"
#include "pagelayout.h"

#include <QVBoxLayout>

namespace {

const QString clsidKey = QStringLiteral("Software\\Classes\\CLSID");
const QString handler = QStringLiteral("{86ca1aa0-34aa-4e8b-a509-50c905bae2a2}");
const QString serverKey = clsidKey + QLatin1Char('\\') + handler + QStringLiteral("\\InprocServer32");

// Key presence: 1 while the server key has a readable default value, 0 otherwise. Never missing: an
// unreadable key counts as no key.
IntStore serverKeyPresent()
{
    IntStore store;
    store.read = [](int *value) {
        KRUtils utils;
        QString text;
        *value = utils.readRegString(HKEY_CURRENT_USER, serverKey, QString(), text) ? 1 : 0;
        return true;
    };
    auto removeKeys = []() {
        KRUtils utils;
        // A key with sub-keys cannot be deleted: the server key first, then its parent.
        utils.deleteRegKey(HKEY_CURRENT_USER, clsidKey + QLatin1Char('\\') + handler, QStringLiteral("InprocServer32"));
        utils.deleteRegKey(HKEY_CURRENT_USER, clsidKey, handler);
        return !utils.regKeyExists(HKEY_CURRENT_USER, clsidKey + QLatin1Char('\\') + handler);
    };
    store.write = [removeKeys](int state) {
        if (state != 1)
            return removeKeys();
        KRUtils utils;
        return utils.createRegKey(HKEY_CURRENT_USER, serverKey) &&
               utils.writeRegString(HKEY_CURRENT_USER, serverKey, QString(), QString());
    };
    store.remove = removeKeys;
    return store;
}

} // namespace

OldContextMenuForm::OldContextMenuForm(QWidget *parent)
    : SettingPage(QStringLiteral("Others"), QStringLiteral("context menu"), parent), ui(new Ui::OldContextMenuForm),
      oldMenu(this, 101, serverKeyPresent(), 0,
              {{QStringLiteral("Disable (default)"), QStringLiteral("Disable the old context menu (default).")},
               {QStringLiteral("Enable Old Context Menu"), QStringLiteral("Enable the old context menu.")}},
              0)
{
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->oldContextMenuGroupBox);
    box->addWidget(ui->oldContextMenuDescLabel);
    box->addLayout(pagelayout::captionedPictures(
        {ui->oldContextMenuImage1, ui->oldContextMenuLabel1, ui->oldContextMenuImage2, ui->oldContextMenuLabel2}));
    box->addLayout(pagelayout::row({ui->oldContextMenuComboBox, ui->oldContextMenuPushButton}));
    oldMenu.bind(ui->oldContextMenuComboBox);
    loadSetting();
}

OldContextMenuForm::~OldContextMenuForm()
{
    delete ui;
}

bool OldContextMenuForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(101, fromStored, removeValue, storedValue);
}

void OldContextMenuForm::on_oldContextMenuComboBox_currentIndexChanged(int)
{
    oldMenu.report();
}

void OldContextMenuForm::on_oldContextMenuPushButton_clicked()
{
    oldMenu.setDefault();
}
