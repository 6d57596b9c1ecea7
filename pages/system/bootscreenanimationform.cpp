#include "bootscreenanimationform.h"
#include "ui_bootscreenanimationform.h"

#include "krutils.h"
#include "pagelayout.h"

#include <QVBoxLayout>

namespace {

// From build 22621 the new animation is what Windows shows by default.
bool newAnimationByDefault()
{
    KRUtils utils;
    utils.isWindows11(); // sets windowsBuildNumber
    return windowsBuildNumber >= 22621;
}

// The choices, with the default mark on the build's default; the sentences carry it alike.
QList<Choice> animationChoices(bool newByDefault)
{
    const QString mark = QStringLiteral(" (default)");
    const QString oldMark = newByDefault ? QString() : mark;
    const QString newMark = newByDefault ? mark : QString();
    return {{QStringLiteral("Disable New Boot Animation") + oldMark,
             QStringLiteral("Disable a new boot screen animation") + oldMark + QLatin1Char('.')},
            {QStringLiteral("Enable New Boot Animation") + newMark,
             QStringLiteral("Enable a new boot screen animation") + newMark + QLatin1Char('.')}};
}

} // namespace

BootScreenAnimationForm::BootScreenAnimationForm(QWidget *parent)
    : SettingPage(QStringLiteral("System"), QStringLiteral("boot screen animation."), parent),
      ui(new Ui::BootScreenAnimationForm),
      animation(this, 500,
                registryDword(HKEY_LOCAL_MACHINE, QStringLiteral("SYSTEM\\ControlSet001\\Control\\BootControl"),
                              QStringLiteral("BootProgressAnimation")),
                0, animationChoices(newAnimationByDefault()), newAnimationByDefault() ? 1 : 0)
{
    ui->setupUi(this);
    QVBoxLayout *box = pagelayout::group(this, ui->BootScreenAnimationGroupBox);
    box->addWidget(ui->BootScreenAnimationDescLabel);
    box->addLayout(pagelayout::captionedPictures({ui->BootScreenAnimationImage1, ui->BootScreenAnimationLabel1,
                                                  ui->BootScreenAnimationImage2, ui->BootScreenAnimationLabel2}));
    box->addLayout(pagelayout::row({ui->BootScreenAnimationComboBox, ui->BootScreenAnimationPushButton}));
    animation.bind(ui->BootScreenAnimationComboBox);
    loadSetting();
}

BootScreenAnimationForm::~BootScreenAnimationForm()
{
    delete ui;
}

bool BootScreenAnimationForm::writeData(bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(500, fromStored, removeValue, storedValue);
}

void BootScreenAnimationForm::on_BootScreenAnimationComboBox_currentIndexChanged(int)
{
    animation.report();
}

void BootScreenAnimationForm::on_BootScreenAnimationPushButton_clicked()
{
    animation.setDefault();
}
