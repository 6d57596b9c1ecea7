#include "krtreeview.h"

#include "win32.h"

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
        emit addURL(fromFileUrl(url)); // the Win32 spelling: a dropped name may hold what Windows forbids
}
