// A label that reports mouse presses: the clickable surface of the home page's module cards.
#pragma once

#include <QLabel>

class ClickableLabel : public QLabel
{
    Q_OBJECT

public:
    // The window flags are not used: the label is always a plain child of its parent.
    explicit ClickableLabel(QWidget *parent = nullptr, Qt::WindowFlags f = Qt::WindowFlags());

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
