#include "transparenttaskbarmoduleform.h"

#include <QLabel>
#include <QVBoxLayout>

TransparentTaskbarModuleForm::TransparentTaskbarModuleForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Transparent Taskbar"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}
