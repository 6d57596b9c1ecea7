#include "misctoolsform.h"

#include <QLabel>
#include <QVBoxLayout>

MiscToolsForm::MiscToolsForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Miscellaneous Tools"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}
