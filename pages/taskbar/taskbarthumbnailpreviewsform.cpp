#include "taskbarthumbnailpreviewsform.h"
#include "ui_taskbarthumbnailpreviewsform.h"

#include "pagelayout.h"
#include "taskbarstores.h"

TaskbarThumbnailPreviewsForm::TaskbarThumbnailPreviewsForm(QWidget *parent)
    : SettingPage(QStringLiteral("Taskbar"), QStringLiteral("Taskbar Thumbnail Previews"), parent),
      ui(new Ui::TaskbarThumbnailPreviewsForm),
      hoverTime(this, 10, taskbarstore::advancedDword(QStringLiteral("ExtendedUIHoverTime")), 400, 40000,
                {QStringLiteral("Set Amount of time before displaying a thumbnail preview to "), 400,
                 QStringLiteral(" milliseconds")})
{
    ui->setupUi(this);
    pagelayout::standard(this, ui->TaskbarThumbnailPreviewsGroupBox,
                         {ui->TaskbarThumbnailPreviewsDescLabel, ui->TaskbarThumbnailPreviewsDescLabel2,
                          ui->TaskbarThumbnailPreviewsImage},
                         {{ui->TaskbarThumbnailPreviewsHorizontalSlider, ui->TaskbarThumbnailPreviewsLineEdit,
                           ui->TaskbarThumbnailPreviewsPushButton}});
    hoverTime.bind(ui->TaskbarThumbnailPreviewsHorizontalSlider, ui->TaskbarThumbnailPreviewsLineEdit);
    loadSetting();
}

TaskbarThumbnailPreviewsForm::~TaskbarThumbnailPreviewsForm()
{
    delete ui;
}

bool TaskbarThumbnailPreviewsForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(10, fromStored, removeValue, storedValue);
}

void TaskbarThumbnailPreviewsForm::on_TaskbarThumbnailPreviewsHorizontalSlider_valueChanged(int)
{
    hoverTime.sliderMoved();
}

void TaskbarThumbnailPreviewsForm::on_TaskbarThumbnailPreviewsLineEdit_textChanged(const QString &)
{
    hoverTime.report();
}

void TaskbarThumbnailPreviewsForm::on_TaskbarThumbnailPreviewsPushButton_clicked()
{
    hoverTime.setDefault();
}
