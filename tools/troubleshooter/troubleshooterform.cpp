#include "troubleshooterform.h"

#include <QLabel>
#include <QVBoxLayout>

TroubleshooterForm::TroubleshooterForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Troubleshooter"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}
