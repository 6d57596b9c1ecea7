#include "krtreeview.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>

KRTreeView::KRTreeView(QWidget *parent) : QTreeView(parent) {}

void KRTreeView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void KRTreeView::dragMoveEvent(QDragMoveEvent *event)
{
    event->accept();
}

void KRTreeView::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl &url : urls)
        emit addURL(QDir::toNativeSeparators(url.toLocalFile()));
}
