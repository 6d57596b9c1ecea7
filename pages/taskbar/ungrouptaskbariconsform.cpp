#include "ungrouptaskbariconsform.h"
#include "ui_ungrouptaskbariconsform.h"

#include "pagelayout.h"
#include "taskbarstores.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

UngroupTaskbarIconsForm::UngroupTaskbarIconsForm(QWidget *parent)
    : SettingPage(QStringLiteral("Taskbar"), QStringLiteral("Ungrouped grouped icons taskbar"), parent),
      ui(new Ui::UngroupTaskbarIconsForm),
      glomLevel(this, 9, taskbarstore::advancedDword(QStringLiteral("TaskbarGlomLevel")), 0,
                {{QStringLiteral("Always combine (default)"),
                  QStringLiteral("Set grouped icons feature in the taskbar to always combine (default).")},
                 {QStringLiteral("Combine when taskbar is full (show labels)"),
                  QStringLiteral("Set grouped icons feature in the taskbar to combine when taskbar is full.")},
                 {QStringLiteral("Never combine (show labels)"),
                  QStringLiteral("Set grouped icons feature in the taskbar to never combine.")}},
                0)
{
    glomLevel.describeOthersAsLast();
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->UngroupTaskbarIconsrGroupBox);
    box->addWidget(ui->UngroupTaskbarIconsDescLabel);
    auto *pictures = new QVBoxLayout;
    pictures->setAlignment(Qt::AlignLeft);
    pictures->addWidget(ui->UngroupTaskbarIconsImage1);
    pictures->addWidget(ui->UngroupTaskbarIconsLabel1);
    pictures->addWidget(ui->UngroupTaskbarIconsImage2);
    pictures->addWidget(ui->UngroupTaskbarIconsLabel2);
    box->addLayout(pictures);
    box->addLayout(pagelayout::row({ui->UngroupTaskbarIconsComboBox, ui->UngroupTaskbarIconsPushButton}));
    glomLevel.bind(ui->UngroupTaskbarIconsComboBox);
    loadSetting();
}

UngroupTaskbarIconsForm::~UngroupTaskbarIconsForm()
{
    delete ui;
}

bool UngroupTaskbarIconsForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(9, fromStored, removeValue, storedValue);
}

void UngroupTaskbarIconsForm::on_UngroupTaskbarIconsComboBox_currentIndexChanged(int)
{
    glomLevel.report();
}

void UngroupTaskbarIconsForm::on_UngroupTaskbarIconsPushButton_clicked()
{
    glomLevel.setDefault();
}
