// What the Secure Delete tests share: a recording of every write the stand-in carries out, drives mapped to
// temporary folders, files with known contents, and simulated raw volumes.
#pragma once

#include "linux/files/filefaults.h"
#include "linux/machine/machine.h"
#include "linux/files/rawvolume.h"
#include "securedeletethread.h"
#include "withoutoverride.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QStandardItem>
#include <QString>

#include <functional>


// Records the writes (host path, offset, bytes) and flushes of the stand-in while it lives; the optional hook
// runs on the writing thread after each write is recorded.
class WriteRecorder
{
public:
    struct Write
    {
        QString path;
        qint64 offset;
        QByteArray data;
        bool flush = false; // a FlushFileBuffers, no bytes
    };

    explicit WriteRecorder(std::function<void(int count)> hook = {}) : afterWrite(std::move(hook))
    {
        filefaults::writeObserver() = [this](const QString &path, qint64 offset, const void *data, DWORD size) {
            int count = 0;
            {
                QMutexLocker g(&mutex);
                list.append(Write{path, offset, QByteArray(static_cast<const char *>(data), int(size))});
                count = int(list.size());
            }
            if (afterWrite)
                afterWrite(count);
        };
        filefaults::flushObserver() = [this](const QString &path) {
            QMutexLocker g(&mutex);
            flushes.append(Write{path, -1, QByteArray(), true});
            flushes.last().offset = list.size(); // the number of writes before it
        };
    }
    ~WriteRecorder()
    {
        filefaults::writeObserver() = nullptr;
        filefaults::flushObserver() = nullptr;
    }

    QList<Write> writes() const
    {
        QMutexLocker g(&mutex);
        return list;
    }
    QList<Write> writesTo(const QString &hostPath) const { return onlyTo(hostPath, writes()); }
    // Writes and flushes of one file, in the order they happened.
    QList<Write> eventsOf(const QString &hostPath) const
    {
        QList<Write> all;
        {
            QMutexLocker g(&mutex);
            qsizetype f = 0;
            for (qsizetype w = 0; w <= list.size(); ++w) {
                for (; f < flushes.size() && flushes.at(f).offset == w; ++f)
                    all.append(flushes.at(f));
                if (w < list.size())
                    all.append(list.at(w));
            }
        }
        return onlyTo(hostPath, all);
    }

private:
    static QList<Write> onlyTo(const QString &hostPath, const QList<Write> &from)
    {
        QList<Write> out;
        const QString path = QDir::cleanPath(hostPath);
        for (const Write &w : from)
            if (w.path == path)
                out.append(w);
        return out;
    }

    mutable QMutex mutex;
    QList<Write> list;
    QList<Write> flushes; // offset: how many writes came before
    std::function<void(int)> afterWrite;
};

// Holds the worker at its first write until the test lets it go on.
struct WorkerGate
{
    QSemaphore started, proceed;
    WriteRecorder recorder{[this](int count) {
        if (count == 1) {
            started.release();
            proceed.acquire();
        }
    }};
};

// Only the drive letters a test maps exist.
inline void onlyMappedDrives()
{
    machine::setSetting(QStringLiteral("drives.host"), QStringLiteral("0"));
    for (char c = 'A'; c <= 'Z'; ++c)
        machine::setSetting(QStringLiteral("drive.") + QLatin1Char(c), QString());
}

inline void mapDrive(QChar letter, const QString &folder, const QString &type = QStringLiteral("fixed"))
{
    const QString key = QStringLiteral("drive.") + letter;
    machine::setSetting(key, folder);
    machine::setSetting(key + QStringLiteral(".type"), type);
}

inline bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Contents that no pattern reproduces by chance: a text repeated to the size asked.
inline QByteArray secretBytes(qint64 size)
{
    const QByteArray unit("confidential-ledger-0123456789;");
    QByteArray out;
    out.reserve(int(size));
    while (out.size() < size)
        out.append(unit);
    out.truncate(int(size));
    return out;
}

inline bool allBytes(const QByteArray &data, char value)
{
    for (char c : data)
        if (c != value)
            return false;
    return !data.isEmpty();
}

// A row of the page's list as the page adds it, with what the user chose taken now.
inline QList<QStandardItem *> listRow(const QString &name, bool folder, const QString &parent)
{
    auto *nameItem = new QStandardItem(name);
    nameItem->setData(QVariant::fromValue(filecheck::choose(parent + QLatin1Char('\\') + name)),
                      SecureDeleteThread::ChoiceRole);
    return {nameItem, new QStandardItem(folder ? QStringLiteral("Folder") : QStringLiteral("File")),
            new QStandardItem(parent), new QStandardItem(folder ? QStringLiteral("1") : QStringLiteral("0"))};
}

