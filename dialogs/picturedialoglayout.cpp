#include "picturedialoglayout.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace picturedialog {

void layOut(QDialog *dialog, QLabel *picture, QVBoxLayout *column, const QList<QWidget *> &buttons)
{
    column->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(10);
    top->addLayout(column, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    for (QWidget *button : buttons)
        bottom->addWidget(button);
    auto *all = new QVBoxLayout(dialog);
    all->setContentsMargins(20, 20, 15, 15);
    all->addLayout(top, 1);
    all->addLayout(bottom);
    // Places the texts now, so that they have their widths before the dialog is first shown.
    all->activate();
}

} // namespace picturedialog
