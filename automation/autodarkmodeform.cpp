#include "autodarkmodeform.h"

#include <QLabel>
#include <QVBoxLayout>

AutoDarkModeForm::AutoDarkModeForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Auto Dark Mode"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}
