#include "oldfileexplorertoolbarform.h"
#include "ui_oldfileexplorertoolbarform.h"

#include "krutils.h"
#include "pagelayout.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

const QString classesKey = QStringLiteral("Software\\Classes\\CLSID");
const QString toolbarClass = QStringLiteral("{d93ed569-3b3e-4bff-8355-3c44f6a52bb5}");
const QString serverKey = classesKey + QLatin1Char('\\') + toolbarClass + QStringLiteral("\\InprocServer32");

// The old toolbar is on while the class's in-process server key holds a default string (empty or not);
// the key alone, without that value, does not count. The stored value is the choice: 1 on, 0 off.
IntStore toolbarSwitch()
{
    IntStore store;
    store.read = [](int *value) {
        QString text;
        *value = KRUtils().readRegString(HKEY_CURRENT_USER, serverKey, QString(), text) ? 1 : 0;
        return true;
    };
    auto off = [] {
        KRUtils utils;
        utils.deleteRegKey(HKEY_CURRENT_USER, classesKey + QLatin1Char('\\') + toolbarClass,
                           QStringLiteral("InprocServer32"));
        // The class key stays when it holds other sub-keys; the toolbar is off all the same.
        utils.deleteRegKey(HKEY_CURRENT_USER, classesKey, toolbarClass);
        return !utils.regKeyExists(HKEY_CURRENT_USER, serverKey);
    };
    store.write = [off](int value) {
        if (value != 1)
            return off();
        KRUtils utils;
        return utils.createRegKey(HKEY_CURRENT_USER, serverKey) &&
               utils.writeRegString(HKEY_CURRENT_USER, serverKey, QString(), QString());
    };
    store.remove = off;
    return store;
}

// A picture over its caption, both centred.
QVBoxLayout *captioned(QWidget *picture, QWidget *caption)
{
    auto *pair = new QVBoxLayout;
    pair->addWidget(picture, 0, Qt::AlignHCenter | Qt::AlignTop);
    pair->addWidget(caption, 0, Qt::AlignHCenter | Qt::AlignTop);
    return pair;
}

} // namespace

OldFileExplorerToolbarForm::OldFileExplorerToolbarForm(QWidget *parent)
    : SettingPage(QStringLiteral("File Explorer"), QStringLiteral("old File Explorer toolbar"), parent),
      ui(new Ui::OldFileExplorerToolbarForm),
      toolbar(this, 602, toolbarSwitch(), 0,
              {{QStringLiteral("Disable (default)"),
                QStringLiteral("Disable the old File Explorer toolbar style (default).")},
               {QStringLiteral("Enable Old File Explorer Toolbar"),
                QStringLiteral("Enable the old File Explorer toolbar style.")}},
              0)
{
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->oldFileExplorerToolbarGroupBox);
    box->addWidget(ui->oldFileExplorerToolbarDescLabel);
    auto *pictures = new QVBoxLayout;
    pictures->addLayout(captioned(ui->oldFileExplorerToolbarImage1, ui->oldFileExplorerToolbarLabel1));
    pictures->addSpacing(20);
    pictures->addLayout(captioned(ui->oldFileExplorerToolbarImage2, ui->oldFileExplorerToolbarLabel2));
    auto *column = new QHBoxLayout;
    column->addLayout(pictures);
    column->addStretch(1);
    box->addLayout(column);
    box->addLayout(pagelayout::row({ui->oldFileExplorerToolbarComboBox, ui->oldFileExplorerToolbarPushButton}));
    toolbar.bind(ui->oldFileExplorerToolbarComboBox);
    loadSetting();
}

OldFileExplorerToolbarForm::~OldFileExplorerToolbarForm()
{
    delete ui;
}

bool OldFileExplorerToolbarForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(602, fromStored, removeValue, storedValue);
}

void OldFileExplorerToolbarForm::on_oldFileExplorerToolbarComboBox_currentIndexChanged(int)
{
    toolbar.report();
}

void OldFileExplorerToolbarForm::on_oldFileExplorerToolbarPushButton_clicked()
{
    toolbar.setDefault();
}
