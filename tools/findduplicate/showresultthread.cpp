#include "showresultthread.h"

#include "findduplicatesettings.h"
#include "win32.h"

#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QStandardItem>
#include <QStandardItemModel>
#include <utility>

namespace {

// File times in the user's own zone.
QString timeText(const FILETIME &time)
{
    return fileTimeToDateTime(time).toLocalTime().toString(Qt::TextDate);
}

QList<QStandardItem *> emptyCells(int count)
{
    QList<QStandardItem *> cells;
    for (int i = 0; i < count; ++i)
        cells << new QStandardItem;
    return cells;
}

} // namespace

ShowResultThread::ShowResultThread(QObject *parent) : QThread(parent) {}

ShowResultThread::~ShowResultThread()
{
    // The model it fills belongs to the page: it never outlives a running fill.
    wait();
}

void ShowResultThread::run()
{
    // Items are pictures (QImage), never pixmaps: pixmaps belong to the GUI thread.
    QThread::currentThread()->setPriority(QThread::HighPriority);
    if (categoryResults && *categoryResults)
        for (const CategoryResult &result : std::as_const(**categoryResults))
            fillCategory(result);
    emit processFinish();
}

void ShowResultThread::fillCategory(CategoryResult result)
{
    if (result.groups.isEmpty())
        return;
    QList<QStandardItem *> categoryRow = emptyCells(7);
    categoryRow[0]->setText(result.name + QStringLiteral(" (") + QString::number(result.groups.size()) +
                            QLatin1Char(')'));
    const QImage image = categoryImage(result.name);
    if (!image.isNull())
        categoryRow[0]->setData(image, Qt::DecorationRole);
    const QString note = result.name == QLatin1String("Raster Image Files") ? QStringLiteral("1") : QStringLiteral("0");
    for (const DuplicateGroup &group : result.groups) {
        QList<QStandardItem *> groupRow = emptyCells(7);
        groupRow[0]->setText(QStringLiteral("File Count: ") + QString::number(group.files.size()));
        for (const DuplicateFileRecord &file : group.files) {
            QList<QStandardItem *> fileRow = emptyCells(7);
            fileRow[0]->setText(file.name);
            fileRow[0]->setCheckable(true);
            fileRow[0]->setCheckState(Qt::Unchecked);
            fileRow[1]->setData(QVariant::fromValue<quint64>(file.size), Qt::EditRole);
            fileRow[2]->setData(timeText(file.lastAccess), Qt::EditRole);
            fileRow[3]->setData(timeText(file.creation), Qt::EditRole);
            fileRow[4]->setData(timeText(file.lastWrite), Qt::EditRole);
            fileRow[5]->setText(nativeSeparators(file.folder));
            fileRow[6]->setData(note, Qt::EditRole);
            groupRow[0]->appendRow(fileRow);
        }
        categoryRow[0]->appendRow(groupRow);
    }
    // The whole category goes in at once; no view watches the model while it is filled.
    model->appendRow(categoryRow);
}
