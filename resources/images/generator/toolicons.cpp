// Toolbar, button and list glyphs on a 24 unit grid: no tile, the shape itself carries the colour.
#include "drawings.h"
#include "shapes.h"

using namespace art;
namespace c = art::colour;

namespace {

const QPointF centre(12, 12);
const QRectF folderBox(2, 4, 20, 16);

// A round button face with a white glyph drawn by the caller.
void disc(QPainter &p, const QColor &colour)
{
    fill(p, circle(centre, 10), colour);
}

// A folder with room on its front for an emblem centred on (12, 14.5).
void emblemFolder(QPainter &p)
{
    folder(p, folderBox);
}

// A white card with a coloured band along its top and a slate outline.
void headedCard(QPainter &p, const QRectF &r, qreal radius, qreal band, const QColor &bandColour)
{
    const QPainterPath outline = rounded(r, radius);
    fill(p, outline, c::white);
    p.save();
    p.setClipPath(outline);
    p.fillRect(QRectF(r.x(), r.y(), r.width(), band), bandColour);
    p.restore();
    stroke(p, outline, c::slateMid, 1.2);
}

void lines(QPainter &p, qreal left, qreal right, std::initializer_list<qreal> ys, const QColor &colour, qreal width)
{
    for (qreal y : ys)
        strokeLine(p, QPointF(left, y), QPointF(right, y), colour, width);
}

} // namespace

namespace draw {

void about24(QPainter &p)
{
    disc(p, c::blue);
    fill(p, circle(QPointF(12, 7.3), 1.7), c::white);
    fill(p, rounded(QRectF(10.6, 10.2, 2.8, 7.8), 1.2), c::white);
}

void help24(QPainter &p)
{
    disc(p, c::blue);
    QPainterPath hook(QPointF(8.6, 9.4));
    hook.cubicTo(QPointF(8.6, 5.9), QPointF(15.4, 5.9), QPointF(15.4, 9.4));
    hook.cubicTo(QPointF(15.4, 11.8), QPointF(12, 11.6), QPointF(12, 14.2));
    stroke(p, hook, c::white, 2.4);
    fill(p, circle(QPointF(12, 17.6), 1.5), c::white);
}

void activate24(QPainter &p)
{
    disc(p, c::green);
    const QPainterPath play = polygon({{10, 7.6}, {16.6, 12}, {10, 16.4}});
    stroke(p, play, c::white, 1.6);
    fill(p, play, c::white);
}

void cancel24(QPainter &p)
{
    disc(p, c::red);
    cross(p, centre, 4, 2.6, c::white);
}

void remove24(QPainter &p)
{
    disc(p, c::red);
    minus(p, centre, 5, 2.8, c::white);
}

void addFile24(QPainter &p)
{
    page(p, QRectF(4.5, 2.5, 13, 18), 4.5, c::white, c::slateMid, 1.2);
    lines(p, 7.5, 13, {10, 13, 16}, c::slateLight, 1.3);
    badge(p, QPointF(17.5, 17.5), 5.3, c::green, Qt::transparent, 1.4);
    plus(p, QPointF(17.5, 17.5), 2.7, 1.8, c::white);
}

void addFolder24(QPainter &p)
{
    folder(p, QRectF(2, 3.5, 19, 15.5));
    badge(p, QPointF(18, 17.5), 5.3, c::green, Qt::transparent, 1.4);
    plus(p, QPointF(18, 17.5), 2.7, 1.8, c::white);
}

void arrowLeft24(QPainter &p)
{
    arrow(p, QPointF(19.5, 12), QPointF(4.5, 12), 6.5, 2.8, c::blue);
}

void cleanUp24(QPainter &p)
{
    p.save();
    p.translate(-1, 0);
    p.scale(0.5, 0.5);
    p.translate(24, 24);
    p.rotate(34);
    p.translate(-24, -24);
    broom(p, c::brown, c::slate, c::amber);
    p.restore();
    fill(p, sparkle(QPointF(18.5, 17), 3.2), c::blue);
    fill(p, sparkle(QPointF(20.5, 10.5), 1.8), c::blue);
}

void computer24(QPainter &p)
{
    const QRectF screen = monitor(p, QRectF(2, 3, 20, 18.5), c::slate, c::sky);
    fill(p,
         polygon({screen.topLeft(), screen.topLeft() + QPointF(7, 0), screen.bottomLeft() + QPointF(2, 0),
                  screen.bottomLeft()}),
         withAlpha(c::white, 45));
}

void configuration24(QPainter &p)
{
    fill(p, gear(centre, 10.2, 7.4, 8, 3), c::slateMid);
}

void controlPanel24(QPainter &p)
{
    headedCard(p, QRectF(2.5, 3.5, 19, 17), 2.5, 3.5, c::blue);
    fill(p, rounded(QRectF(5.2, 9.3, 6, 4.3), 1), c::blue);
    fill(p, rounded(QRectF(12.8, 9.3, 6, 4.3), 1), c::green);
    fill(p, rounded(QRectF(5.2, 14.8, 6, 3.4), 1), c::amber);
    fill(p, rounded(QRectF(12.8, 14.8, 6, 3.4), 1), c::red);
}

void explorer24(QPainter &p)
{
    emblemFolder(p);
    p.save();
    p.setClipPath(rounded(QRectF(2, 8.8, 20, 11.2), 1.4));
    p.fillRect(QRectF(2, 15.8, 20, 2.6), c::sky);
    p.restore();
}

void folderSearch24(QPainter &p)
{
    folder(p, QRectF(1.5, 3, 18, 14.5));
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    strokeLine(p, QPointF(18.6, 18.6), QPointF(21.6, 21.6), Qt::black, 5.4);
    fill(p, circle(QPointF(15.5, 15.5), 6.6), Qt::black);
    p.restore();
    fill(p, circle(QPointF(15.5, 15.5), 4.3), withAlpha(c::skyLight, 160));
    stroke(p, circle(QPointF(15.5, 15.5), 4.3), c::blue, 2.1);
    strokeLine(p, QPointF(18.8, 18.8), QPointF(21.3, 21.3), c::blue, 2.6);
}

void network24(QPainter &p)
{
    strokeLine(p, QPointF(12, 7.5), QPointF(12, 12), c::slateMid, 1.6);
    stroke(p, polyline({{5.5, 15.5}, {5.5, 12}, {18.5, 12}, {18.5, 15.5}}), c::slateMid, 1.6);
    for (const QRectF &node : {QRectF(8, 2, 8, 6), QRectF(1.5, 15, 8, 6), QRectF(14.5, 15, 8, 6)}) {
        fill(p, rounded(node, 1.5), c::blue);
        fill(p, rounded(node.adjusted(1.4, 1.4, -1.4, -1.4), 0.6), c::skyLight);
    }
}

void notepad24(QPainter &p)
{
    headedCard(p, QRectF(4.5, 3.5, 15, 18), 1.5, 3.6, c::blue);
    for (qreal x : {8.0, 12.0, 16.0})
        strokeLine(p, QPointF(x, 2), QPointF(x, 5), c::slate, 1.4);
    lines(p, 7.5, 16.5, {10.5, 13.5, 16.5}, c::slateLight, 1.3);
}

void recycleBin24(QPainter &p)
{
    const QPainterPath body = polygon({{5.5, 8}, {18.5, 8}, {17.3, 21}, {6.7, 21}});
    stroke(p, body, c::blue, 1.4);
    fill(p, body, c::blueLight);
    for (qreal x : {9.4, 12.0, 14.6})
        strokeLine(p, QPointF(x, 10.8), QPointF(x, 18.4), c::blue, 1.3);
    stroke(p, rounded(QRectF(9.5, 2.6, 5, 2.6), 1), c::blue, 1.3);
    fill(p, rounded(QRectF(3.5, 4.6, 17, 2.6), 1.2), c::blue);
}

void refresh24(QPainter &p)
{
    circularArrow(p, centre, 7.5, 100, 150, 2.5, 3.8, c::blue);
    circularArrow(p, centre, 7.5, 280, 150, 2.5, 3.8, c::blue);
}

void update24(QPainter &p)
{
    circularArrow(p, centre, 8.5, 75, 290, 2.3, 3.6, c::green);
    arrow(p, QPointF(12, 7.6), QPointF(12, 15.4), 3.4, 2.1, c::green);
}

void save24(QPainter &p)
{
    const QPainterPath body = polygon({{3, 3}, {17.5, 3}, {21, 6.5}, {21, 21}, {3, 21}});
    stroke(p, body, c::blue, 1.6);
    fill(p, body, c::blue);
    fill(p, rounded(QRectF(7, 2.5, 9, 6.5), 1), c::mist);
    fill(p, rounded(QRectF(12.6, 3.8, 1.9, 3.8), 0.5), c::blue);
    fill(p, rounded(QRectF(6, 12.5, 12, 8.5), 1), c::white);
    lines(p, 8.3, 15.7, {15, 18}, c::blueLight, 1.2);
}

void search24(QPainter &p)
{
    fill(p, circle(QPointF(10, 10), 6.2), withAlpha(c::skyLight, 150));
    stroke(p, circle(QPointF(10, 10), 6.2), c::blue, 2.4);
    strokeLine(p, QPointF(14.8, 14.8), QPointF(20.5, 20.5), c::slate, 3.2);
}

void undo24(QPainter &p)
{
    QPainterPath path(QPointF(18.8, 19.5));
    path.cubicTo(QPointF(20.2, 12.5), QPointF(16, 8.5), QPointF(10, 8.5));
    path.lineTo(5.5, 8.5);
    stroke(p, path, c::blue, 2.6);
    stroke(p, polyline({{9.5, 4.3}, {5.3, 8.5}, {9.5, 12.7}}), c::blue, 2.6);
}

void userFiles24(QPainter &p)
{
    emblemFolder(p);
    fill(p, circle(QPointF(12, 12.3), 2.6), c::blue);
    p.save();
    p.setClipRect(QRectF(0, 0, 24, 19.2));
    fill(p, circle(QPointF(12, 20.5), 4.6), c::blue);
    p.restore();
}

void windows24(QPainter &p)
{
    headedCard(p, QRectF(2.5, 3.5, 19, 17), 2, 4, c::blue);
    p.fillRect(QRectF(3.1, 7.5, 4.4, 12.4), c::mist);
    fill(p, circle(QPointF(18.8, 5.5), 0.9), c::white);
    lines(p, 9.5, 18.5, {11, 14, 17}, c::slateLight, 1.2);
}

void desktop24(QPainter &p)
{
    const QRectF screen(2, 4, 20, 16);
    p.save();
    p.setClipPath(rounded(screen, 2));
    landscape(p, screen, c::blue, c::blueDark, c::skyLight);
    p.fillRect(QRectF(2, 17, 20, 3), c::ink);
    p.restore();
    fill(p, rounded(QRectF(4.2, 6.2, 3, 3), 0.6), c::white);
    fill(p, rounded(QRectF(4.2, 10.6, 3, 3), 0.6), c::white);
    fill(p, rounded(QRectF(11, 17.8, 2, 1.4), 0.3), c::skyLight);
}

void documents24(QPainter &p)
{
    emblemFolder(p);
    page(p, QRectF(8, 9.5, 8, 10), 2.5, c::white, c::white, 0);
    lines(p, 9.8, 14.2, {13.5, 15.5, 17.5}, c::blue, 1);
}

void downloads24(QPainter &p)
{
    emblemFolder(p);
    arrow(p, QPointF(12, 10), QPointF(12, 17.5), 3.6, 2.2, c::blue);
}

void music24(QPainter &p)
{
    emblemFolder(p);
    fill(p, musicNote(QRectF(8, 10.3, 8.4, 8.4)), c::purple);
}

void pictures24(QPainter &p)
{
    emblemFolder(p);
    fill(p, rounded(QRectF(6.8, 9.8, 10.4, 8.8), 1), c::white);
    landscape(p, QRectF(7.8, 10.8, 8.4, 6.8), c::skyLight, c::teal, c::amber);
}

void videos24(QPainter &p)
{
    emblemFolder(p);
    fill(p, rounded(QRectF(7, 10, 10, 8.6), 1.6), c::red);
    fill(p, polygon({{10.6, 11.9}, {14.6, 14.3}, {10.6, 16.7}}), c::white);
}

void objects3d24(QPainter &p)
{
    cube(p, QPointF(12, 12.6), 9.4, c::blueLight, c::blue, c::blueDark);
}

void taskScheduler24(QPainter &p)
{
    headedCard(p, QRectF(2.5, 3.5, 15.5, 15.5), 1.5, 4, c::red);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            fill(p, rounded(QRectF(4.8 + col * 3.5, 10 + row * 3.3, 2.2, 2), 0.4), c::slateLight);
    badge(p, QPointF(16.5, 16.5), 6, c::white, Qt::transparent, 1.2);
    stroke(p, circle(QPointF(16.5, 16.5), 5.2), c::blue, 1.6);
    stroke(p, polyline({{16.5, 13.2}, {16.5, 16.5}, {18.8, 17.8}}), c::blue, 1.4);
}

void shortcut24(QPainter &p)
{
    const QRectF box(3, 3, 18, 18);
    fill(p, rounded(box, 3), c::white);
    stroke(p, rounded(box, 3), c::slateMid, 1.2);
    QPainterPath bend(QPointF(8, 17.5));
    bend.cubicTo(QPointF(8, 11.5), QPointF(10.5, 9), QPointF(16, 9));
    stroke(p, bend, c::blue, 2.2);
    stroke(p, polyline({{12.8, 5.8}, {16.2, 9}, {12.8, 12.2}}), c::blue, 2.2);
}

void home24(QPainter &p)
{
    const QPainterPath shape = house(QRectF(3, 3, 18, 17), false);
    stroke(p, shape, c::blue, 1.8);
    fill(p, shape, c::blue);
    fill(p, rounded(QRectF(10, 13.5, 4, 7.4), 1), c::amber);
}

void quickAccess24(QPainter &p)
{
    const QPainterPath shape = star(QPointF(12, 12.8), 10, 4.4, 5);
    stroke(p, shape, c::blue, 1.6);
    fill(p, shape, c::blue);
}

void oneDrive24(QPainter &p)
{
    fill(p, cloud(QRectF(1.5, 5, 21, 14.5)), c::blue);
}

} // namespace draw
