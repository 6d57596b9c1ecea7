#include "findduplicateform.h"

#include <QLabel>
#include <QVBoxLayout>

FindDuplicateForm::FindDuplicateForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Find Duplicate"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}

void FindDuplicateForm::requestClose()
{
    closePending = true;
    cancelled = true;
}
