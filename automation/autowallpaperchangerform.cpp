#include "autowallpaperchangerform.h"

#include <QLabel>
#include <QVBoxLayout>

AutoWallpaperChangerForm::AutoWallpaperChangerForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Auto Wallpaper Changer"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}

void AutoWallpaperChangerForm::requestClose()
{
    closePending = true;
    cancelled = true;
}
