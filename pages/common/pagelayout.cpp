#include "pagelayout.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace pagelayout {

QVBoxLayout *group(QWidget *page, QGroupBox *box)
{
    auto *inside = new QVBoxLayout(box);
    auto *outside = new QVBoxLayout(page);
    outside->addWidget(box);
    return inside;
}

QHBoxLayout *row(const QList<QWidget *> &widgets)
{
    auto *layout = new QHBoxLayout;
    for (QWidget *w : widgets) {
        if (w)
            layout->addWidget(w);
        else
            layout->addSpacing(20);
    }
    layout->addStretch(1);
    return layout;
}

QVBoxLayout *standard(QWidget *page, QGroupBox *box, const QList<QWidget *> &header,
                      const QList<QList<QWidget *>> &rows)
{
    QVBoxLayout *inside = group(page, box);
    for (QWidget *w : header)
        inside->addWidget(w);
    for (const QList<QWidget *> &widgets : rows)
        inside->addLayout(row(widgets));
    return inside;
}

QGridLayout *fields(const QList<QPair<QWidget *, QWidget *>> &rows)
{
    auto *grid = new QGridLayout;
    for (int r = 0; r < rows.size(); ++r) {
        grid->addWidget(rows.at(r).first, r, 0);
        grid->addWidget(rows.at(r).second, r, 1);
    }
    grid->setColumnStretch(2, 1);
    return grid;
}

} // namespace pagelayout
