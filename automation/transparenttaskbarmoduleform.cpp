#include "transparenttaskbarmoduleform.h"

#include "glasspanlink.h"
#include "glasspanmessages.h"
#include "krutils.h"
#include "numberfield.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSlider>
#include <QVBoxLayout>

namespace {

const QString GlasspanKey = QStringLiteral(HUSHDECK_SETTINGS_ROOT "\\Glasspan");

} // namespace

TransparentTaskbarModuleForm::TransparentTaskbarModuleForm(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Form"));
    resize(606, 418);
    auto *layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignTop);
    saveAction =
        glasspanlink::addToolbar(this, layout, QStringLiteral("Save"), QStringLiteral(":/resources/images/Save24.png"));
    connect(saveAction, &QAction::triggered, this, &TransparentTaskbarModuleForm::OnSaveGlasspan);

    GlasspanDescLabel = new QLabel(QStringLiteral("Enable or disable transparency effect on taskbar"), this);
    GlasspanDescLabel->setObjectName(QStringLiteral("GlasspanDescLabel"));
    GlasspanImage = new QLabel(this);
    GlasspanImage->setObjectName(QStringLiteral("GlasspanImage"));
    GlasspanImage->setPixmap(QPixmap(QStringLiteral(":/resources/images/TransparentTaskbar.png")));
    GlasspanComboBox = new QComboBox(this);
    GlasspanComboBox->setObjectName(QStringLiteral("GlasspanComboBox"));
    GlasspanHorizontalSlider = new QSlider(Qt::Horizontal, this);
    GlasspanHorizontalSlider->setObjectName(QStringLiteral("GlasspanHorizontalSlider"));
    GlasspanHorizontalSlider->setRange(0, 255);
    GlasspanHorizontalSlider->setValue(255);
    GlasspanHorizontalSlider->setTickPosition(QSlider::NoTicks);
    GlasspanLineEdit = new QLineEdit(QStringLiteral("255"), this);
    GlasspanLineEdit->setObjectName(QStringLiteral("GlasspanLineEdit"));
    GlasspanLineEdit->setFixedWidth(32);
    numberfield::fitNumber(GlasspanLineEdit, GlasspanHorizontalSlider->maximum());

    layout->addWidget(GlasspanDescLabel);
    layout->addWidget(GlasspanImage);
    auto *comboRow = new QHBoxLayout;
    comboRow->addWidget(GlasspanComboBox);
    comboRow->addStretch();
    layout->addLayout(comboRow);
    auto *sliderRow = new QHBoxLayout;
    sliderRow->addWidget(GlasspanHorizontalSlider);
    sliderRow->addWidget(GlasspanLineEdit);
    layout->addLayout(sliderRow);
    QMetaObject::connectSlotsByName(this);

    GlasspanComboBox->addItem(QStringLiteral("Disable (default)"));
    GlasspanComboBox->addItem(QStringLiteral("Enable"));
    loadSettings();
    saveAction->setEnabled(false);
}

void TransparentTaskbarModuleForm::loadSettings()
{
    KRUtils utils;
    DWORD enabled = 0;
    DWORD level = 255;
    utils.readRegDWORD(HKEY_CURRENT_USER, GlasspanKey, QStringLiteral("Enabled"), &enabled);
    utils.readRegDWORD(HKEY_CURRENT_USER, GlasspanKey, QStringLiteral("TransparentLevel"), &level);
    // The helper takes any non-zero value as on; another program may have written one.
    GlasspanComboBox->setCurrentIndex(enabled != 0 ? 1 : 0);
    // The slot of the first index does not run when the index stays 0.
    on_GlasspanComboBox_currentIndexChanged(GlasspanComboBox->currentIndex());
    GlasspanHorizontalSlider->setValue(int(qMin<DWORD>(level, 255)));
    if (GlasspanComboBox->currentIndex() != 0)
        switchOn();
}

void TransparentTaskbarModuleForm::switchOn()
{
    const int level = GlasspanHorizontalSlider->value();
    glasspanlink::switchOn(this, HELPER_MSG_TASKBAR_ON, WM_GLASSPAN_SET, WPARAM(level), QString::number(level));
}

void TransparentTaskbarModuleForm::saveSettings()
{
    HWND helper = glasspanlink::findWindow();
    KRUtils utils;
    const int index = GlasspanComboBox->currentIndex();
    utils.writeRegDWORD(HKEY_CURRENT_USER, GlasspanKey, QStringLiteral("Enabled"), DWORD(index));
    utils.writeRegDWORD(HKEY_CURRENT_USER, GlasspanKey, QStringLiteral("TransparentLevel"),
                        DWORD(GlasspanHorizontalSlider->value()));
    if (index != 0) {
        switchOn();
    } else {
        // The helper leaves the taskbar as it is when switched off: make it opaque here, helper or not.
        HWND taskbar = FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
        if (taskbar) {
            SetWindowLongW(taskbar, GWL_EXSTYLE, GetWindowLongW(taskbar, GWL_EXSTYLE) | WS_EX_LAYERED);
            SetLayeredWindowAttributes(taskbar, 0, 255, LWA_ALPHA);
        }
        glasspanlink::post(helper, HELPER_MSG_TASKBAR_OFF);
    }
    if (!utils.isGlasspanNeeded())
        utils.closeGlasspan();
}

void TransparentTaskbarModuleForm::OnSaveGlasspan(bool)
{
    saveAction->setEnabled(false);
    saveSettings();
}

void TransparentTaskbarModuleForm::on_GlasspanComboBox_currentIndexChanged(int index)
{
    GlasspanHorizontalSlider->setEnabled(index != 0);
    GlasspanLineEdit->setEnabled(index != 0);
    saveAction->setEnabled(true);
}

void TransparentTaskbarModuleForm::on_GlasspanHorizontalSlider_valueChanged(int value)
{
    GlasspanLineEdit->setText(QString::number(value));
    saveAction->setEnabled(true);
}

void TransparentTaskbarModuleForm::on_GlasspanLineEdit_textChanged(const QString &text)
{
    bool ok = false;
    int value = text.toInt(&ok, 10);
    if (!ok)
        value = 0;
    GlasspanHorizontalSlider->setValue(qBound(0, value, 255));
    saveAction->setEnabled(true);
}
