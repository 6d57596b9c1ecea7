#include "pagelayout.h"

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

} // namespace pagelayout
