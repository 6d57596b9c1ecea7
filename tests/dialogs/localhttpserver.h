// A one-page HTTP server on 127.0.0.1 for tests: it answers every GET with the status and body it was
// given, or accepts the connection and never answers (for time-outs), and keeps the request lines.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

class LocalHttpServer : public QObject
{
    Q_OBJECT

public:
    explicit LocalHttpServer(QObject *parent = nullptr);

    bool start();
    // "http://127.0.0.1:<port>"
    QString base() const;
    void answer(int status, const QByteArray &body);
    void stayQuiet() { quiet = true; }
    // Answers 200 with no length and then `piece` every `intervalMs` for as long as the client stays.
    void trickle(const QByteArray &piece, int intervalMs);

    QStringList requestLines;
    // Connections the server still holds open (a client that gave up has closed its end).
    int openConnections() const;

signals:
    void requestReceived();

private:
    void serve(QTcpSocket *socket);

    QTcpServer server;
    QList<QPointer<QTcpSocket>> sockets;
    QHash<QTcpSocket *, QByteArray> pending;
    int status = 200;
    QByteArray body;
    bool quiet = false;
    QByteArray tricklePiece;
    int trickleMs = -1;
};
