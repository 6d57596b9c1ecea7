#include "krframe.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>

KRFrame::KRFrame(QWidget *parent) : QFrame(parent) {}

void KRFrame::dragEnterEvent(QDragEnterEvent *event)
{
    // Only the first item decides: a drag that starts with a folder is taken.
    const QMimeData *data = event->mimeData();
    if (data->hasUrls() && !data->urls().isEmpty() && QFileInfo(data->urls().first().toLocalFile()).isDir())
        event->acceptProposedAction();
    else
        event->ignore();
}

void KRFrame::dragMoveEvent(QDragMoveEvent *event)
{
    event->accept();
}

void KRFrame::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl &url : urls)
        emit addURL(QDir::toNativeSeparators(url.toLocalFile()));
}
