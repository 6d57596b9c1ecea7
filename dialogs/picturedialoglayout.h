// The layout of the About and Check Update boxes: the program's picture at the top left, the texts in a
// column beside it, the buttons at the bottom right. Laid out rather than placed, so that every text gets
// the width it needs in the fonts the host has.
#pragma once

#include <QList>

class QDialog;
class QLabel;
class QVBoxLayout;
class QWidget;

namespace picturedialog {

// Lays out dialog; column holds the texts, top first, and is taken over by the dialog's layout.
void layOut(QDialog *dialog, QLabel *picture, QVBoxLayout *column, const QList<QWidget *> &buttons);

} // namespace picturedialog
