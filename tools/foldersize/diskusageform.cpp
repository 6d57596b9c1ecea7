#include "diskusageform.h"

#include <QLabel>
#include <QVBoxLayout>

DiskUsageForm::DiskUsageForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Folder Size Analyzer"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}

void DiskUsageForm::requestClose()
{
    closePending = true;
    cancelled = true;
}
