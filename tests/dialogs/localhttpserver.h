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
};
