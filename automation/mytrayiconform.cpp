#include "mytrayiconform.h"

#include <QLabel>
#include <QVBoxLayout>

MyTrayIconForm::MyTrayIconForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("My Tray Icon"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}
