// A frame that takes folders dragged from a file manager and reports each dropped item as a path.
#pragma once

#include <QFrame>

class KRFrame : public QFrame
{
    Q_OBJECT

public:
    explicit KRFrame(QWidget *parent = nullptr);

signals:
    void addURL(QString url);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
