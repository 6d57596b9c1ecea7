// The box layouts a page builds in code around its designer widgets: inside the group box the description
// labels and the illustration, then for each setting a row of its control and its Set Default button;
// the page's own layout holds the group box.
#pragma once

#include <QList>

class QBoxLayout;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QVBoxLayout;
class QWidget;

namespace pagelayout {

// The group box's vertical layout, the page's layout holding the box; the box's texts wrap.
QVBoxLayout *group(QWidget *page, QGroupBox *box);
// A left-aligned row of widgets; a null entry stands for 20 pixels of space.
QHBoxLayout *row(const QList<QWidget *> &widgets);
// Pictures side by side, 20 pixels apart, each over its centred caption: image, caption, image, caption...
QHBoxLayout *captionedPictures(const QList<QWidget *> &imagesAndCaptions);
// The usual page: the header widgets one under the other, then one row per setting.
QVBoxLayout *standard(QWidget *page, QGroupBox *box, const QList<QWidget *> &header,
                      const QList<QList<QWidget *>> &rows);
// Rows of a label and its field, the fields lined up in one column, all at the left.
QGridLayout *fields(const QList<QPair<QWidget *, QWidget *>> &rows);

// A page of check boxes: the description, then the check box rows (each a left-aligned row) beside the
// picture on their right, then the Set Default button.
QVBoxLayout *besidePicture(QWidget *page, QGroupBox *box, QWidget *description, const QList<QList<QWidget *>> &rows,
                           QWidget *picture, QWidget *button);

} // namespace pagelayout
