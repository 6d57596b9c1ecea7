#include "taskbarpositionform.h"
#include "ui_taskbarpositionform.h"

#include "pagelayout.h"
#include "taskbarstores.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

int sameByte(int value)
{
    return value;
}

} // namespace

TaskbarPositionForm::TaskbarPositionForm(QWidget *parent)
    : SettingPage(QStringLiteral("Taskbar"), QStringLiteral("taskbar position top bottom"), parent),
      ui(new Ui::TaskbarPositionForm),
      edge(this, 7, taskbarstore::stuckRectsByte(12, sameByte, sameByte), 3,
           {{QStringLiteral("Left"), QStringLiteral("Set taskbar position to the left of the screen.")},
            {QStringLiteral("Top"), QStringLiteral("Set taskbar position to the top of the screen.")},
            {QStringLiteral("Right"), QStringLiteral("Set taskbar position to the right of the screen.")},
            {QStringLiteral("Bottom (default)"),
             QStringLiteral("Set taskbar position to the bottom of the screen (default).")}},
           3)
{
    edge.describeOthersAsLast();
    raiseOnWrite(&restartExplorerPending);
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->taskbarPositionGroupBox);
    box->addWidget(ui->taskbarPositionDescLabel);
    auto *pictures = new QHBoxLayout;
    pictures->setAlignment(Qt::AlignLeft);
    const QList<QPair<QWidget *, QWidget *>> columns = {{ui->taskbarPositionImage1, ui->taskbarPositionLabel1},
                                                        {ui->taskbarPositionImage2, ui->taskbarPositionLabel2},
                                                        {ui->taskbarPositionImage3, ui->taskbarPositionLabel3},
                                                        {ui->taskbarPositionImage4, ui->taskbarPositionLabel4}};
    for (const auto &[image, label] : columns) {
        if (image != ui->taskbarPositionImage1)
            pictures->addSpacing(20);
        auto *column = new QVBoxLayout;
        column->setAlignment(Qt::AlignTop);
        column->addWidget(image);
        column->addWidget(label);
        pictures->addLayout(column);
    }
    box->addLayout(pictures);
    box->addLayout(pagelayout::row({ui->taskbarPositionComboBox, ui->taskbarPositionPushButton}));
    edge.bind(ui->taskbarPositionComboBox);
    loadSetting();
}

TaskbarPositionForm::~TaskbarPositionForm()
{
    delete ui;
}

bool TaskbarPositionForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(7, fromStored, removeValue, storedValue);
}

bool TaskbarPositionForm::writeSetting(int index, bool fromStored, bool, QString storedValue)
{
    return SettingPage::writeSetting(index, fromStored, false, storedValue);
}

void TaskbarPositionForm::on_taskbarPositionComboBox_currentIndexChanged(int)
{
    edge.report();
}

void TaskbarPositionForm::on_taskbarPositionPushButton_clicked()
{
    edge.setDefault();
}
