#include "clickablelabel.h"

ClickableLabel::ClickableLabel(QWidget *parent, Qt::WindowFlags) : QLabel(parent) {}

// Any button counts, and the press is enough: a card reacts at once, like a button pressed down.
void ClickableLabel::mousePressEvent(QMouseEvent *)
{
    emit clicked();
}
