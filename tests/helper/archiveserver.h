// A local stand-in for the image archive and its image host: answers HTTP GET requests on the loopback
// address as each test sets up, and records what was asked for. It serves from a thread of its own, so that
// a test's thread may block in a download (the helper waits for its transfers without handling events).
#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>

class QTcpServer;
class QTcpSocket;

class ArchiveServer : public QObject
{
    Q_OBJECT

public:
    enum Kind {
        Complete, // the whole body with its length
        CutShort, // announces the whole length, sends half, closes
        Silent,   // reads the request and never answers
        Stalling, // announces the whole length, sends half, then holds the connection without a word
        NotFound, // 404
        Endless,  // no length, the body sent again and again for as long as the client reads
        Held,     // announces the whole length and holds the body until release()
    };

    explicit ArchiveServer(QObject *parent = nullptr);
    ~ArchiveServer() override;
    // "http://127.0.0.1:<port>"
    QString base() const;
    // Answers requests whose path (with query) starts with pathPrefix.
    void answer(const QString &pathPrefix, const QByteArray &body, Kind kind = Complete);
    // Paths (with query) asked for, oldest first.
    QStringList requests() const;
    int count(const QString &pathPrefix) const;
    // Sends the held answers their bodies.
    void release();

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
    QThread thread;
    QObject *home = nullptr;      // lives on `thread`; owns the listener and its connections
    QTcpServer *server = nullptr; // a child of `home`
    quint16 port = 0;
    mutable QMutex mutex; // guards replies and asked, which the test's thread reads and sets
    QHash<QString, Reply> replies;
    QStringList asked;
    QList<QPair<QTcpSocket *, QByteArray>> held; // on `thread` only
};
