#include "krframe.h"

#include "win32.h"

#include <QDragEnterEvent>
#include <QMimeData>

KRFrame::KRFrame(QWidget *parent) : QFrame(parent) {}

void KRFrame::dragEnterEvent(QDragEnterEvent *event)
{
    // Only the first item decides: a drag that starts with a folder is taken.
    const QMimeData *data = event->mimeData();
    const DWORD attributes = data->hasUrls() && !data->urls().isEmpty()
                                 ? GetFileAttributesW(wstr(fromFileUrl(data->urls().first())))
                                 : INVALID_FILE_ATTRIBUTES;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
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
        emit addURL(fromFileUrl(url)); // the Win32 spelling: a dropped name may hold what Windows forbids
}
