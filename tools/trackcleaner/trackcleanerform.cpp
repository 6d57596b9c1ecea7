#include "trackcleanerform.h"

#include <QLabel>
#include <QVBoxLayout>

TrackCleanerForm::TrackCleanerForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Track Cleaner"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}

void TrackCleanerForm::requestClose()
{
    closePending = true;
    cancelled = true;
}
