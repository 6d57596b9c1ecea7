// A local stand-in for the image archive and its image host: answers HTTP GET requests on the loopback
// address as each test sets up, and records what was asked for. Runs on the thread that made it; the
// helper's synchronous downloads keep that thread's events moving.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

class ArchiveServer : public QObject
{
    Q_OBJECT

public:
    enum Kind {
        Complete, // the whole body with its length
        CutShort, // announces the whole length, sends half, closes
        Silent,   // reads the request and never answers
        NotFound, // 404
    };

    explicit ArchiveServer(QObject *parent = nullptr);
    // "http://127.0.0.1:<port>"
    QString base() const;
    // Answers requests whose path (with query) starts with pathPrefix.
    void answer(const QString &pathPrefix, const QByteArray &body, Kind kind = Complete);
    // Paths (with query) asked for, oldest first.
    QStringList requests() const { return asked; }
    int count(const QString &pathPrefix) const;

    // The archive's XML answer for one image, as the service writes it (the address's "&" escaped).
    static QByteArray archiveAnswer(const QString &imagePath);
    // A small JPEG picture.
    static QByteArray jpeg(int width = 64, int height = 36);

private:
    void serve(QTcpSocket *socket);

    struct Reply
    {
        QByteArray body;
        Kind kind;
    };
    QTcpServer server;
    QHash<QString, Reply> replies;
    QStringList asked;
};
