#include "taskbaralignmentform.h"
#include "ui_taskbaralignmentform.h"

#include "pagelayout.h"
#include "taskbarstores.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

TaskbarAlignmentForm::TaskbarAlignmentForm(QWidget *parent)
    : SettingPage(QStringLiteral("Taskbar"), QStringLiteral("taskbar alignment"), parent),
      ui(new Ui::TaskbarAlignmentForm),
      alignment(this, 1, taskbarstore::advancedDword(QStringLiteral("TaskbarAl")), 1,
                {{QStringLiteral("Left"), QStringLiteral("Set Windows 11 taskbar alignment to left.")},
                 {QStringLiteral("Center (default)"),
                  QStringLiteral("Set Windows 11 taskbar alignment to center (default).")}},
                1)
{
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->taskbarAlignmentGroupBox);
    box->addWidget(ui->taskbarAlignmentDescLabel);
    auto *pictures = new QVBoxLayout;
    pictures->setAlignment(Qt::AlignLeft);
    pictures->addWidget(ui->taskbarAlignmentImage1);
    pictures->addWidget(ui->taskbarAlignmentLabel1);
    pictures->addWidget(ui->taskbarAlignmentImage2);
    pictures->addWidget(ui->taskbarAlignmentLabel2);
    box->addLayout(pictures);
    box->addLayout(pagelayout::row({ui->taskbarAlignmentComboBox, ui->taskbarAlignmentPushButton}));
    alignment.bind(ui->taskbarAlignmentComboBox);
    loadSetting();
}

TaskbarAlignmentForm::~TaskbarAlignmentForm()
{
    delete ui;
}

bool TaskbarAlignmentForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(1, fromStored, removeValue, storedValue);
}

void TaskbarAlignmentForm::on_taskbarAlignmentComboBox_currentIndexChanged(int)
{
    alignment.report();
}

void TaskbarAlignmentForm::on_taskbarAlignmentPushButton_clicked()
{
    alignment.setDefault();
}
