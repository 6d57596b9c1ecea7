// The table of every resource image: its name, its pixel size and the function that draws it.
// To add or restyle an image, write or change one drawing function and its row in imagetable.cpp.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

struct ImageSpec
{
    enum Kind { Icon, Illustration };

    QString name; // the file name under ":/resources/images/"
    QSize size;   // pixels; for an .ico, its largest frame
    qreal grid;   // design units across the width: the drawing function works in these units
    std::function<void(QPainter &)> draw;
    Kind kind;
};

const std::vector<ImageSpec> &imageTable();

// The drawing at any pixel size (an .ico holds several); the aspect ratio is the entry's.
QImage render(const ImageSpec &entry, int width);
// The bytes of the image file: PNG, or for an .ico name an icon file with one PNG frame per size.
QByteArray encode(const ImageSpec &entry);
// An icon file holding the given square frames, each stored as PNG (read by every Windows since Vista).
QByteArray icoFile(const QList<QImage> &frames);
