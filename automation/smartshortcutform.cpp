#include "smartshortcutform.h"

#include <QLabel>
#include <QVBoxLayout>

SmartShortcutForm::SmartShortcutForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Smart Shortcut"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}
