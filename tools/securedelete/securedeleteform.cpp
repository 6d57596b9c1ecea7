#include "securedeleteform.h"

#include <QLabel>
#include <QVBoxLayout>

SecureDeleteForm::SecureDeleteForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Secure Delete"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}

void SecureDeleteForm::requestClose()
{
    closePending = true;
    cancelled = true;
}
