#include "localhttpserver.h"

LocalHttpServer::LocalHttpServer(QObject *parent) : QObject(parent)
{
    connect(&server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            sockets << socket;
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
}

bool LocalHttpServer::start()
{
    return server.listen(QHostAddress::LocalHost);
}

QString LocalHttpServer::base() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort());
}

void LocalHttpServer::answer(int s, const QByteArray &b)
{
    status = s;
    body = b;
    quiet = false;
    trickleMs = -1;
}

void LocalHttpServer::trickle(const QByteArray &piece, int intervalMs)
{
    tricklePiece = piece;
    trickleMs = intervalMs;
    quiet = false;
}

int LocalHttpServer::openConnections() const
{
    int n = 0;
    for (const QPointer<QTcpSocket> &s : sockets)
        if (s && s->state() == QAbstractSocket::ConnectedState)
            ++n;
    return n;
}

void LocalHttpServer::serve(QTcpSocket *socket)
{
    QByteArray &buffer = pending[socket];
    buffer += socket->readAll();
    if (!buffer.contains("\r\n\r\n"))
        return;
    requestLines << QString::fromLatin1(buffer.left(buffer.indexOf("\r\n")));
    buffer.clear();
    emit requestReceived();
    if (quiet)
        return;
    if (trickleMs >= 0) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n");
        auto *timer = new QTimer(socket);
        const QByteArray piece = tricklePiece;
        connect(timer, &QTimer::timeout, socket, [socket, piece] {
            if (socket->bytesToWrite() < 65536)
                socket->write(piece);
        });
        timer->start(trickleMs);
        return;
    }
    const QByteArray reason = status < 400 ? "OK" : "Error";
    socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
                  "\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size()) +
                  "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}
