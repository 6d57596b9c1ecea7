#include "taskbarsizeform.h"
#include "ui_taskbarsizeform.h"

#include "pagelayout.h"
#include "taskbarstores.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

TaskbarSizeForm::TaskbarSizeForm(QWidget *parent)
    : SettingPage(QStringLiteral("Taskbar"), QStringLiteral("taskbar size"), parent), ui(new Ui::TaskbarSizeForm),
      taskbarSize(
          this, 0, taskbarstore::advancedDword(QStringLiteral("TaskbarSi")), 1,
          {{QStringLiteral("Small"), QStringLiteral("Set Windows 11 taskbar size to small.")},
           {QStringLiteral("Medium (default)"), QStringLiteral("Set Windows 11 taskbar size to medium (default).")},
           {QStringLiteral("Large"), QStringLiteral("Set Windows 11 taskbar size to large.")}},
          1)
{
    taskbarSize.describeOthersAsLast();
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->taskbarSizeGroupBox);
    box->addWidget(ui->taskbarSizeDescLabel);
    auto *pictures = new QVBoxLayout;
    pictures->setAlignment(Qt::AlignLeft);
    pictures->addWidget(ui->taskbarSizeImage1);
    pictures->addWidget(ui->taskbarSizeLabel1);
    pictures->addWidget(ui->taskbarSizeImage2);
    pictures->addWidget(ui->taskbarSizeLabel2);
    pictures->addWidget(ui->taskbarSizeImage3);
    pictures->addWidget(ui->taskbarSizeLabel3);
    box->addLayout(pictures);
    box->addLayout(pagelayout::row({ui->taskbarSizeComboBox, ui->taskbarSizePushButton}));
    taskbarSize.bind(ui->taskbarSizeComboBox);
    loadSetting();
}

TaskbarSizeForm::~TaskbarSizeForm()
{
    delete ui;
}

bool TaskbarSizeForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(0, fromStored, removeValue, storedValue);
}

void TaskbarSizeForm::on_taskbarSizeComboBox_currentIndexChanged(int)
{
    taskbarSize.report();
}

void TaskbarSizeForm::on_taskbarSizePushButton_clicked()
{
    taskbarSize.setDefault();
}
