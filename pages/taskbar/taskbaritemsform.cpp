#include "taskbaritemsform.h"
#include "ui_taskbaritemsform.h"

#include "pagelayout.h"
#include "taskbarstores.h"

#include <QVBoxLayout>

namespace {

// Hidden or visible, with the sentences naming the button.
QList<Choice> visibility(const QString &button)
{
    return {{QStringLiteral("Hidden"), QStringLiteral("Hide %1 icon on the taskbar").arg(button)},
            {QStringLiteral("Visible (default)"), QStringLiteral("Show %1 icon on the taskbar (default)").arg(button)}};
}

} // namespace

TaskbarItemsForm::TaskbarItemsForm(QWidget *parent)
    : SettingPage(QStringLiteral("Taskbar"), QStringLiteral("Taskbar Items Chat icon Task view Search Widgets"),
                  parent),
      ui(new Ui::TaskbarItemsForm), widgets(this, 3, taskbarstore::advancedDword(QStringLiteral("TaskbarDa")), 1,
                                            visibility(QStringLiteral("Widgets")), 1),
      chat(this, 4, taskbarstore::advancedDword(QStringLiteral("TaskbarMn")), 1, visibility(QStringLiteral("Chat")), 1),
      taskView(this, 5, taskbarstore::advancedDword(QStringLiteral("ShowTaskViewButton")), 1,
               visibility(QStringLiteral("Task view")), 1),
      search(this, 6,
             registryDword(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Search"),
                           QStringLiteral("SearchboxTaskbarMode")),
             1, visibility(QStringLiteral("Search")), 1)
{
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->taskbarItemsGroupBox);
    const QList<QList<QWidget *>> blocks = {
        {ui->showWidgetIconDescLabel, ui->showWidgetIconImage1, ui->showWidgetIconComboBox,
         ui->showWidgetIconPushButton},
        {ui->showChatIconDescLabel, ui->showChatIconImage1, ui->showChatIconComboBox, ui->showChatIconPushButton},
        {ui->showTaskviewIconDescLabel, ui->showTaskviewIconImage1, ui->showTaskviewIconComboBox,
         ui->showTaskviewIconPushButton},
        {ui->showSearchIconDescLabel, ui->showSearchIconImage1, ui->showSearchIconComboBox,
         ui->showSearchIconPushButton},
    };
    for (const QList<QWidget *> &block : blocks) {
        if (block.first() != ui->showWidgetIconDescLabel)
            box->addSpacing(20);
        box->addWidget(block.at(0));
        box->addWidget(block.at(1));
        box->addLayout(pagelayout::row({block.at(2), block.at(3)}));
    }
    widgets.bind(ui->showWidgetIconComboBox);
    chat.bind(ui->showChatIconComboBox);
    taskView.bind(ui->showTaskviewIconComboBox);
    search.bind(ui->showSearchIconComboBox);
    loadSetting();
}

TaskbarItemsForm::~TaskbarItemsForm()
{
    delete ui;
}

bool TaskbarItemsForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void TaskbarItemsForm::on_showWidgetIconComboBox_currentIndexChanged(int)
{
    widgets.report();
}

void TaskbarItemsForm::on_showChatIconComboBox_currentIndexChanged(int)
{
    chat.report();
}

void TaskbarItemsForm::on_showTaskviewIconComboBox_currentIndexChanged(int)
{
    taskView.report();
}

void TaskbarItemsForm::on_showSearchIconComboBox_currentIndexChanged(int)
{
    search.report();
}

void TaskbarItemsForm::on_showWidgetIconPushButton_clicked()
{
    widgets.setDefault();
}

void TaskbarItemsForm::on_showChatIconPushButton_clicked()
{
    chat.setDefault();
}

void TaskbarItemsForm::on_showTaskviewIconPushButton_clicked()
{
    taskView.setDefault();
}

void TaskbarItemsForm::on_showSearchIconPushButton_clicked()
{
    search.setDefault();
}
