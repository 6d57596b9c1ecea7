// A tree view that takes files and folders dragged from a file manager and reports each dropped item.
#pragma once

#include <QTreeView>

class KRTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit KRTreeView(QWidget *parent = nullptr);

signals:
    void addURL(QString url);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
