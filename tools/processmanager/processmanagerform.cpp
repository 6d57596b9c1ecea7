#include "processmanagerform.h"

#include <QLabel>
#include <QVBoxLayout>

ProcessManagerForm::ProcessManagerForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Process Manager"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}
