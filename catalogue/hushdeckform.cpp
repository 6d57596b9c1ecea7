#include "hushdeckform.h"

#include <QLabel>
#include <QVBoxLayout>

HushdeckForm::HushdeckForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Hushdeck"), this);
    label->setObjectName(QStringLiteral("placeholderLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    saveAction = new QAction(QStringLiteral("Save"), this);
    saveAction->setEnabled(false);
    connect(saveAction, &QAction::triggered, this, &HushdeckForm::OnSave);
}

void HushdeckForm::OnSave(bool)
{
    saveAction->setEnabled(false);
    emit disableSaveButton();
}
