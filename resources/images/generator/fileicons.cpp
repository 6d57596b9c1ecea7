// List icons on a 16 unit grid: the file kinds of the scanners (a sheet with an emblem) and the flag marks.
#include "drawings.h"
#include "shapes.h"

using namespace art;
namespace c = art::colour;

namespace {

// The sheet every file kind shares; its emblem sits in the box (4, 6.5)-(12, 14).
void sheet(QPainter &p)
{
    page(p, QRectF(2.5, 0.5, 11, 15), 3.5, c::white, c::slateMid, 1);
}

} // namespace

namespace draw {

void images3d16(QPainter &p)
{
    sheet(p);
    cube(p, QPointF(8, 10), 4.2, c::blueLight, c::blue, c::blueDark);
}

void audio16(QPainter &p)
{
    sheet(p);
    fill(p, musicNote(QRectF(4.5, 6, 7, 7.4)), c::purple);
}

void backup16(QPainter &p)
{
    sheet(p);
    circularArrow(p, QPointF(8, 10), 3.4, 100, -290, 1.4, 2.1, c::teal);
    fill(p, circle(QPointF(8, 10), 0.9), c::teal);
}

void compressedFiles16(QPainter &p)
{
    page(p, QRectF(2.5, 0.5, 11, 15), 3.5, c::amberLight, c::brown, 1);
    for (int i = 0; i < 4; ++i) {
        const qreal y = 1.5 + i * 2;
        fill(p, rounded(QRectF(i % 2 ? 8 : 6, y, 2, 1.3), 0.3), c::brown);
    }
    fill(p, rounded(QRectF(6, 9.5, 4, 4.5), 0.8), c::brown);
    fill(p, rounded(QRectF(7, 11.2, 2, 1.6), 0.3), c::amberLight);
}

void diskImage16(QPainter &p)
{
    sheet(p);
    fill(p, circle(QPointF(8, 10), 4.3), c::slateMid);
    fill(p, polygon({{8, 10}, {8, 5.7}, {12.3, 10}}), c::slateLight);
    fill(p, circle(QPointF(8, 10), 1.3), c::white);
}

void document16(QPainter &p)
{
    sheet(p);
    for (qreal y : {6.5, 8.5, 10.5, 12.5})
        strokeLine(p, QPointF(5, y), QPointF(y > 12 ? 9 : 11, y), c::blue, 1);
}

void font16(QPainter &p)
{
    sheet(p);
    stroke(p, polyline({{4.8, 13.6}, {8, 5.2}, {11.2, 13.6}}), c::red, 1.6);
    strokeLine(p, QPointF(6.2, 10.6), QPointF(9.8, 10.6), c::red, 1.6);
}

void install16(QPainter &p)
{
    sheet(p);
    arrow(p, QPointF(8, 4.8), QPointF(8, 10.6), 2.5, 1.5, c::green);
    stroke(p, polyline({{4.8, 11.2}, {4.8, 13.3}, {11.2, 13.3}, {11.2, 11.2}}), c::green, 1.3);
}

void rasterImage16(QPainter &p)
{
    sheet(p);
    landscape(p, QRectF(4.5, 6.5, 7, 7), c::skyLight, c::teal, c::amber);
}

void vectorImage16(QPainter &p)
{
    sheet(p);
    strokeLine(p, QPointF(5, 13), QPointF(5.8, 7.2), c::slateLight, 0.8);
    strokeLine(p, QPointF(11, 6.5), QPointF(10.2, 12.3), c::slateLight, 0.8);
    QPainterPath curve(QPointF(5, 13));
    curve.cubicTo(QPointF(5.8, 7.2), QPointF(10.2, 12.3), QPointF(11, 6.5));
    stroke(p, curve, c::pink, 1.4);
    for (const QPointF &pt : {QPointF(5, 13), QPointF(11, 6.5)})
        fill(p, rounded(QRectF(pt - QPointF(1.2, 1.2), QSizeF(2.4, 2.4)), 0.3), c::ink);
}

void video16(QPainter &p)
{
    sheet(p);
    fill(p, rounded(QRectF(4.3, 6.8, 7.4, 6.4), 1.2), c::red);
    fill(p, polygon({{7, 8.4}, {9.9, 10}, {7, 11.6}}), c::white);
}

void webFile16(QPainter &p)
{
    sheet(p);
    const QPointF globe(8, 10);
    fill(p, circle(globe, 4), c::skyLight);
    QPainterPath grid;
    grid.addEllipse(globe, 4, 4);
    grid.addEllipse(globe, 1.7, 4);
    grid.moveTo(4, 10);
    grid.lineTo(12, 10);
    p.strokePath(grid, QPen(c::sky, 0.9));
}

void checkIn16(QPainter &p)
{
    fill(p, circle(QPointF(8, 8), 7.2), c::green);
    check(p, QPointF(8, 8.2), 3.7, 1.8, c::white);
}

void close16(QPainter &p)
{
    fill(p, circle(QPointF(8, 8), 7.2), c::red);
    cross(p, QPointF(8, 8), 2.8, 1.8, c::white);
}

void symbolBolt16(QPainter &p)
{
    const QPainterPath shape = bolt(QRectF(3, 0.8, 10, 14.4));
    stroke(p, shape, c::orange, 1.2);
    fill(p, shape, c::amber);
}

} // namespace draw
