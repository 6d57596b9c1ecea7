#include "archiveserver.h"

#include <QBuffer>
#include <QImage>
#include <QMutexLocker>
#include <QPainter>
#include <QTcpServer>
#include <QTcpSocket>

ArchiveServer::ArchiveServer(QObject *parent) : QObject(parent)
{
    home = new QObject;
    home->moveToThread(&thread);
    thread.start();
    QMetaObject::invokeMethod(
        home,
        [this] {
            server = new QTcpServer(home);
            server->listen(QHostAddress::LocalHost);
            port = server->serverPort();
            connect(server, &QTcpServer::newConnection, home, [this] {
                while (QTcpSocket *socket = server->nextPendingConnection()) {
                    socket->setParent(home);
                    connect(socket, &QTcpSocket::readyRead, home, [this, socket] { serve(socket); });
                }
            });
        },
        Qt::BlockingQueuedConnection);
}

ArchiveServer::~ArchiveServer()
{
    // Closes every connection, so that a transfer still waiting for an answer ends now.
    QMetaObject::invokeMethod(
        home, [this] { delete home; }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
}

QString ArchiveServer::base() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

void ArchiveServer::answer(const QString &pathPrefix, const QByteArray &body, Kind kind)
{
    QMutexLocker locker(&mutex);
    replies.insert(pathPrefix, Reply{body, kind});
}

QStringList ArchiveServer::requests() const
{
    QMutexLocker locker(&mutex);
    return asked;
}

int ArchiveServer::count(const QString &pathPrefix) const
{
    QMutexLocker locker(&mutex);
    int n = 0;
    for (const QString &path : asked)
        if (path.startsWith(pathPrefix))
            ++n;
    return n;
}

void ArchiveServer::release()
{
    QMetaObject::invokeMethod(
        home,
        [this] {
            for (const auto &answer : std::as_const(held)) {
                answer.first->write(answer.second);
                answer.first->disconnectFromHost();
            }
            held.clear();
        },
        Qt::BlockingQueuedConnection);
}

void ArchiveServer::serve(QTcpSocket *socket)
{
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = line.size() > 1 ? QString::fromLatin1(line.at(1)) : QString();
    QMutexLocker locker(&mutex);
    asked << path;

    QString best;
    for (auto it = replies.constBegin(); it != replies.constEnd(); ++it)
        if (path.startsWith(it.key()) && it.key().size() > best.size())
            best = it.key();
    if (best.isEmpty() || replies.value(best).kind == NotFound) {
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
        socket->disconnectFromHost();
        return;
    }
    const Reply reply = replies.value(best);
    locker.unlock();
    if (reply.kind == Silent)
        return;
    if (reply.kind == Endless) {
        socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        QByteArray body = reply.body.isEmpty() ? QByteArray("x") : reply.body;
        body = body.repeated(qMax<qsizetype>(1, 262144 / body.size()));
        // Kept a little ahead of the client: the next piece goes out as the last one leaves.
        const auto more = [socket, body] {
            if (socket->bytesToWrite() < body.size())
                socket->write(body);
        };
        connect(socket, &QTcpSocket::bytesWritten, home, more);
        more();
        return;
    }
    QByteArray head =
        "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(reply.body.size()) + "\r\nConnection: close\r\n\r\n";
    socket->write(head);
    if (reply.kind == Held) {
        held.append({socket, reply.body});
        return;
    }
    const bool half = reply.kind == CutShort || reply.kind == Stalling;
    socket->write(half ? reply.body.left(reply.body.size() / 2) : reply.body);
    if (reply.kind != Stalling)
        socket->disconnectFromHost();
}

QByteArray ArchiveServer::archiveAnswer(const QString &imagePath)
{
    QString escaped = imagePath;
    escaped.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" ?><images><image><startdate>20240509</startdate>"
                             "<fullstartdate>202405090700</fullstartdate><enddate>20240510</enddate><url>") +
           escaped.toLatin1() +
           QByteArrayLiteral("</url><urlBase>/th?id=OHR.Sample</urlBase><copyright>A sample (c) Someone</copyright>"
                             "<copyrightlink>https://example.invalid/</copyrightlink><title>Sample</title>"
                             "<hsh>0123456789abcdef</hsh></image><tooltips><loadMessage><message>Loading"
                             "</message></loadMessage></tooltips></images>");
}

QByteArray ArchiveServer::jpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(30, 90, 160));
    QPainter(&image).fillRect(0, 0, width / 2, height / 2, QColor(240, 200, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}
