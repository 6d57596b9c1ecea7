#include "transparenttaskbarform.h"
#include "ui_transparenttaskbarform.h"

#include "../../helper/glasspan.h"
#include "krutils.h"
#include "pagelayout.h"

#include <QDebug>
#include <QVBoxLayout>

namespace {

const QString runKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString runValue = QStringLiteral("TransparentTaskbar");
const QString levelValue = QStringLiteral("TaskbarTransparentLevel");
// The helper's own transparency values, which it reads at every start (the logon start too) and which the
// Transparent Taskbar module page edits as well: both controls show and change this one state.
const QString helperKey = QStringLiteral(HUSHDECK_SETTINGS_ROOT "\\Glasspan");
const QString helperEnabled = QStringLiteral("Enabled");
const QString helperLevel = QStringLiteral("TransparentLevel");

QString settingsRoot()
{
    return QStringLiteral(HUSHDECK_SETTINGS_ROOT);
}

HWND helperWindow()
{
    return FindWindowW(WSTR("GLASSPAN"), WSTR("Transparent Taskbar"));
}

void postToHelper(HWND helper, UINT message, WPARAM wParam)
{
    if (helper)
        PostMessageW(helper, message, wParam, 0);
}

// Without the helper the taskbar must be fully opaque again.
void makeTaskbarOpaque()
{
    HWND taskbar = FindWindowW(WSTR("Shell_TrayWnd"), nullptr);
    if (!taskbar)
        return;
    SetWindowLongW(taskbar, GWL_EXSTYLE, GetWindowLongW(taskbar, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(taskbar, 0, 255, LWA_ALPHA);
}

} // namespace

TransparentTaskbarForm::TransparentTaskbarForm(QWidget *parent)
    : SettingPage(QStringLiteral("Taskbar"), QStringLiteral("transparency effect taskbar Transparent"), parent),
      ui(new Ui::TransparentTaskbarForm), level(this, 8, levelStore(), defaultLevel, 255,
                                                {QStringLiteral("Set taskbar transparency level to "), defaultLevel}),
      enable(
          this, 12, enableStore(), 0,
          {{QStringLiteral("Disable (default)"), QStringLiteral("Disable transparency effect on taskbar (default).")},
           {QStringLiteral("Enable"), QStringLiteral("Enable transparency effect on taskbar.")}},
          0)
{
    ui->setupUi(this);
    pagelayout::standard(
        this, ui->GlasspanGroupBox, {ui->GlasspanDescLabel, ui->GlasspanImage},
        {{ui->GlasspanHorizontalSlider, ui->GlasspanLineEdit}, {ui->GlasspanComboBox, ui->GlasspanPushButton}});
    level.bind(ui->GlasspanHorizontalSlider, ui->GlasspanLineEdit);
    enable.bind(ui->GlasspanComboBox);
    loadSetting();
}

TransparentTaskbarForm::~TransparentTaskbarForm()
{
    delete ui;
}

IntStore TransparentTaskbarForm::levelStore()
{
    IntStore store = registryDword(HKEY_CURRENT_USER, settingsRoot(), levelValue);
    // The helper's copy of the level is what it applies at its next start.
    store.write = [write = store.write](int value) {
        const bool written = write(value);
        const bool shared = KRUtils().writeRegDWORD(HKEY_CURRENT_USER, helperKey, helperLevel, DWORD(value));
        postToHelper(helperWindow(), WM_GLASSPAN_SET, WPARAM(value));
        return written && shared;
    };
    // Restoring a level that was absent deletes it again; the helper goes back to the opaque level.
    store.remove = [this, remove = store.remove]() {
        const bool removed = remove();
        const bool shared = KRUtils().writeRegDWORD(HKEY_CURRENT_USER, helperKey, helperLevel, DWORD(defaultLevel));
        postToHelper(helperWindow(), WM_GLASSPAN_SET, WPARAM(defaultLevel));
        return removed && shared;
    };
    return store;
}

IntStore TransparentTaskbarForm::enableStore()
{
    IntStore store;
    // Absent or unreadable is off, as the helper takes it; any non-zero value is on.
    store.read = [](int *value) {
        DWORD enabled = 0;
        KRUtils().readRegDWORD(HKEY_CURRENT_USER, helperKey, helperEnabled, &enabled);
        *value = enabled != 0 ? 1 : 0;
        return true;
    };
    store.write = [this](int value) { return value != 0 ? switchOn() : switchOff(); };
    store.remove = [this]() { return switchOff(); };
    return store;
}

bool TransparentTaskbarForm::switchOn()
{
    KRUtils utils;
    const QString path = utils.appPath() + QStringLiteral("\\Glasspan.exe");
    const int alpha = ui->GlasspanHorizontalSlider->value();
    // Written before the helper is started or told: a starting helper reads them, and without its own
    // switch on it keeps the taskbar opaque, now and at every logon.
    if (!utils.writeRegDWORD(HKEY_CURRENT_USER, helperKey, helperEnabled, 1) ||
        !utils.writeRegDWORD(HKEY_CURRENT_USER, helperKey, helperLevel, DWORD(alpha)))
        return false;
    if (HWND helper = helperWindow()) {
        qDebug().noquote() << QStringLiteral("PostMessage: ") + QStringLiteral("WM_GLASSPAN_SET");
        PostMessageW(helper, WM_GLASSPAN_SET, WPARAM(alpha), 0);
        // The helper applies a level only while its own switch is on.
        PostMessageW(helper, HELPER_MSG_TASKBAR_ON, 0, 0);
    } else {
        qDebug().noquote() << path;
        ShellExecuteW(nullptr, WSTR("open"), wstr(path), wstr(QString::number(alpha)), nullptr, SW_HIDE);
    }
    return utils.writeRegString(HKEY_CURRENT_USER, runKey, runValue, QLatin1Char('"') + path + QLatin1Char('"'));
}

bool TransparentTaskbarForm::switchOff()
{
    KRUtils utils;
    // Off first, so the question below no longer counts this very duty, and a later start of the helper
    // (at logon) leaves the taskbar opaque.
    const bool written = utils.writeRegDWORD(HKEY_CURRENT_USER, helperKey, helperEnabled, 0);
    postToHelper(helperWindow(), HELPER_MSG_TASKBAR_OFF, 0);
    makeTaskbarOpaque();
    // The helper and its logon start stay while another of its features still needs them.
    if (utils.isGlasspanNeeded())
        return written;
    utils.closeGlasspan();
    return removeRegistryValue(HKEY_CURRENT_USER, runKey, runValue) && written;
}

void TransparentTaskbarForm::loadSetting()
{
    SettingPage::loadSetting();
    followEnable();
}

void TransparentTaskbarForm::followEnable()
{
    const bool on = ui->GlasspanComboBox->currentIndex() != 0;
    ui->GlasspanHorizontalSlider->setEnabled(on);
    ui->GlasspanLineEdit->setEnabled(on);
}

bool TransparentTaskbarForm::writeData(int index, bool fromStored, bool removeValue, QString storedValue)
{
    return writeSetting(index, fromStored, removeValue, storedValue);
}

void TransparentTaskbarForm::on_GlasspanComboBox_currentIndexChanged(int)
{
    enable.report();
    followEnable();
}

void TransparentTaskbarForm::on_GlasspanHorizontalSlider_valueChanged(int)
{
    level.sliderMoved();
}

void TransparentTaskbarForm::on_GlasspanLineEdit_textChanged(const QString &)
{
    level.report();
}

void TransparentTaskbarForm::on_GlasspanPushButton_clicked()
{
    enable.setDefault();
}
