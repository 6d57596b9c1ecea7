#include "mytrayiconform.h"

#include "glasspanlink.h"
#include "glasspanmessages.h"
#include "krutils.h"

#include <QCheckBox>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

MyTrayIconForm::MyTrayIconForm(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Form"));
    resize(606, 486);
    checkBox = new QCheckBox(QStringLiteral("Enable My Tray Icon Feature"), this);
    checkBox->setObjectName(QStringLiteral("checkBox"));
    label = new QLabel(this);
    label->setObjectName(QStringLiteral("label"));
    label->setPixmap(QPixmap(QStringLiteral(":/resources/images/MyTrayIconScreenShot.png")));
    label_2 = new QLabel(
        QStringLiteral("When enabled, the program shows tray icon that lets you quicly access the following settings:"),
        this);
    label_2->setObjectName(QStringLiteral("label_2"));
    label_2->setWordWrap(true);
    label_3 = new QLabel(QStringLiteral("- Clear File Explorer history\n- Set Bing Daily Image as your wallpaper\n"
                                        "- Set App and Windows color mode to light or dark\n"
                                        "- Set Active Power Scheme to power saver, balance or high performance"),
                         this);
    label_3->setObjectName(QStringLiteral("label_3"));
    // Laid out top to bottom rather than placed, so that the texts get the room they need in the host's fonts.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(checkBox);
    layout->addWidget(label_2);
    layout->addWidget(label_3);
    layout->addWidget(label, 0, Qt::AlignLeft);
    layout->addStretch(1);
    QMetaObject::connectSlotsByName(this);

    KRUtils utils;
    DWORD show = 0;
    utils.readRegDWORD(HKEY_CURRENT_USER, QStringLiteral(HUSHDECK_SETTINGS_ROOT), QStringLiteral("ShowTrayIcon"),
                       &show);
    checkBox->setChecked(show != 0);
    applyTrayIcon();
    loaded = true;
}

void MyTrayIconForm::on_checkBox_toggled(bool checked)
{
    if (!loaded)
        return;
    KRUtils utils;
    utils.writeRegDWORD(HKEY_CURRENT_USER, QStringLiteral(HUSHDECK_SETTINGS_ROOT), QStringLiteral("ShowTrayIcon"),
                        checked ? 1 : 0);
    applyTrayIcon();
}

void MyTrayIconForm::applyTrayIcon()
{
    HWND helper = glasspanlink::findWindow();
    if (checkBox->isChecked()) {
        if (helper)
            glasspanlink::post(helper, HELPER_MSG_TRAYICON_RELOAD);
        else
            glasspanlink::start(this);
        return;
    }
    KRUtils utils;
    if (!utils.isGlasspanNeeded()) {
        utils.closeGlasspan();
        return;
    }
    glasspanlink::post(helper, HELPER_MSG_TRAYICON_RELOAD);
}
