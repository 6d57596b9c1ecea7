#include "timeoutparamform.h"
#include "ui_timeoutparamform.h"

#include "pagelayout.h"

#include <QDebug>
#include <QVBoxLayout>

namespace {

const int longestTimeout = 7500;

NumberSetting::Texts timeoutTexts(const char *prefix, int defaultTimeout)
{
    return {QLatin1String(prefix), defaultTimeout, QStringLiteral(" milliseconds")};
}

} // namespace

TimeOutParamForm::TimeOutParamForm(QWidget *parent)
    : SettingPage(QStringLiteral("System"),
                  QStringLiteral("parameter Hung App Time-out timeout time out Wait to Kill applications Service "),
                  parent),
      defaultTimeout(5000), ui(new Ui::TimeOutParamForm),
      hungApp(this, 507, systemParameter(SPI_GETHUNGAPPTIMEOUT, SPI_SETHUNGAPPTIMEOUT, defaultTimeout), defaultTimeout,
              longestTimeout,
              timeoutTexts("Set Amount of time before system considers a thread unresponsive to ", defaultTimeout)),
      waitToKill(this, 508, systemParameter(SPI_GETWAITTOKILLTIMEOUT, SPI_SETWAITTOKILLTIMEOUT, defaultTimeout),
                 defaultTimeout, longestTimeout,
                 timeoutTexts("Set Amount of time that the system must wait before terminating an unresponsive "
                              "application to ",
                              defaultTimeout)),
      waitToKillService(
          this, 509, systemParameter(SPI_GETWAITTOKILLSERVICETIMEOUT, SPI_SETWAITTOKILLSERVICETIMEOUT, defaultTimeout),
          defaultTimeout, longestTimeout,
          timeoutTexts("Set Amount of time that the system must wait before terminating an unresponsive service to ",
                       defaultTimeout))
{
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->TimeOutParamGroupBox);
    const QList<QList<QWidget *>> sections = {
        {ui->hungAppTitleLabel, ui->hungAppDescLabel, ui->hungAppDescLabel2, ui->hungAppHorizontalSlider,
         ui->hungAppLineEdit, ui->hungAppPushButton},
        {ui->waitToKillTitleLabel, ui->waitToKillDescLabel, ui->waitToKillDescLabel2, ui->waitToKillHorizontalSlider,
         ui->waitToKillLineEdit, ui->waitToKillPushButton},
        {ui->waitToKillServiceTitleLabel, ui->waitToKillServiceDescLabel, ui->waitToKillServiceDescLabel2,
         ui->waitToKillServiceHorizontalSlider, ui->waitToKillServiceLineEdit, ui->waitToKillServicePushButton},
    };
    for (const QList<QWidget *> &section : sections) {
        if (section != sections.first())
            box->addSpacing(20);
        for (int i = 0; i < 3; ++i)
            box->addWidget(section.at(i));
        box->addLayout(pagelayout::row(section.mid(3)));
    }
    hungApp.bind(ui->hungAppHorizontalSlider, ui->hungAppLineEdit);
    waitToKill.bind(ui->waitToKillHorizontalSlider, ui->waitToKillLineEdit);
    waitToKillService.bind(ui->waitToKillServiceHorizontalSlider, ui->waitToKillServiceLineEdit);
    loadSetting();
}

TimeOutParamForm::~TimeOutParamForm()
{
    delete ui;
}

void TimeOutParamForm::loadSetting()
{
    SettingPage::loadSetting();
    qDebug() << "hungAppData: " << hungApp.storedValue;
    qDebug() << "waitToKillData: " << waitToKill.storedValue;
    qDebug() << "waitToKillServiceData: " << waitToKillService.storedValue;
}

bool TimeOutParamForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void TimeOutParamForm::on_hungAppHorizontalSlider_valueChanged(int)
{
    hungApp.sliderMoved();
}

void TimeOutParamForm::on_waitToKillHorizontalSlider_valueChanged(int)
{
    waitToKill.sliderMoved();
}

void TimeOutParamForm::on_waitToKillServiceHorizontalSlider_valueChanged(int)
{
    waitToKillService.sliderMoved();
}

void TimeOutParamForm::on_hungAppLineEdit_textChanged(const QString &)
{
    hungApp.report();
}

void TimeOutParamForm::on_waitToKillLineEdit_textChanged(const QString &)
{
    waitToKill.report();
}

void TimeOutParamForm::on_waitToKillServiceLineEdit_textChanged(const QString &)
{
    waitToKillService.report();
}

void TimeOutParamForm::on_hungAppPushButton_clicked()
{
    hungApp.setDefault();
}

void TimeOutParamForm::on_waitToKillPushButton_clicked()
{
    waitToKill.setDefault();
}

void TimeOutParamForm::on_waitToKillServicePushButton_clicked()
{
    waitToKillService.setDefault();
}
