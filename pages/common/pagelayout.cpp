#include "pagelayout.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pagelayout {

QVBoxLayout *group(QWidget *page, QGroupBox *box)
{
    // Texts wrap at the width the catalogue gives the page rather than widening it, so that a page fits
    // a small window in the host's fonts.
    for (QLabel *label : box->findChildren<QLabel *>())
        if (!label->text().isEmpty() && label->pixmap().isNull())
            label->setWordWrap(true);
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

QHBoxLayout *captionedPictures(const QList<QWidget *> &imagesAndCaptions)
{
    auto *pictures = new QHBoxLayout;
    pictures->setAlignment(Qt::AlignLeft);
    for (int i = 0; i + 1 < imagesAndCaptions.size(); i += 2) {
        if (i > 0)
            pictures->addSpacing(20);
        auto *column = new QVBoxLayout;
        column->setAlignment(Qt::AlignTop);
        column->addWidget(imagesAndCaptions.at(i), 0, Qt::AlignHCenter);
        column->addWidget(imagesAndCaptions.at(i + 1), 0, Qt::AlignHCenter);
        pictures->addLayout(column);
    }
    return pictures;
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

QVBoxLayout *besidePicture(QWidget *page, QGroupBox *box, QWidget *description, const QList<QList<QWidget *>> &rows,
                           QWidget *picture, QWidget *button)
{
    QVBoxLayout *inside = group(page, box);
    inside->addWidget(description);
    auto *choices = new QVBoxLayout;
    for (const QList<QWidget *> &widgets : rows)
        choices->addLayout(row(widgets));
    choices->addStretch(1);
    auto *middle = new QHBoxLayout;
    middle->addLayout(choices);
    middle->addSpacing(20);
    middle->addWidget(picture, 0, Qt::AlignTop);
    middle->addStretch(1);
    inside->addLayout(middle);
    inside->addLayout(row({button}));
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
