// The module tiles of the side panel and home page, the product images and the big arrows.
#include "drawings.h"
#include "shapes.h"

using namespace art;
namespace c = art::colour;

namespace {

const QColor homeTile = c::blue;
const QColor nightTile{QRgb(0x312E81)};
const QColor wallpaperTile = c::teal;
const QColor folderSizeTile = c::sky;
const QColor duplicateTile = c::purple;
const QColor trayTile = c::pink;
const QColor processTile = c::slate;
const QColor shredTile = c::red;
const QColor shortcutTile = c::orange;
const QColor computerTile = c::blueDark;
const QColor cleanerTile{QRgb(0x65A30D)};
const QColor glassTile = c::cyan;
const QColor toolsTile{QRgb(0xB45309)};
const QColor brandTile = c::indigo;
const QColor updateTile = c::green;
const QColor rocketTile = c::navy;

// Turns the painter about the tile's centre, for shapes that are easier to lay out upright.
void turn(QPainter &p, qreal degrees)
{
    p.translate(24, 24);
    p.rotate(degrees);
    p.translate(-24, -24);
}

} // namespace

namespace draw {

void home48(QPainter &p)
{
    tile(p, homeTile);
    const QPainterPath shape = house(QRectF(11, 10, 26, 26), false);
    stroke(p, shape, c::white, 3);
    fill(p, shape, c::white);
    fill(p, rounded(QRectF(21, 27, 6, 10.5), 1.5), c::amber);
}

void autoDark48(QPainter &p)
{
    tile(p, nightTile);
    const QPointF sun(19, 19);
    fill(p, circle(sun, 6.5), c::amber);
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(sun);
        p.rotate(i * 45);
        strokeLine(p, QPointF(0, -9.5), QPointF(0, -12.5), c::amber, 2.2);
        p.restore();
    }
    const QPainterPath moon = circle(QPointF(29, 29), 10.5).subtracted(circle(QPointF(35.5, 23.5), 8.5));
    stroke(p, moon, nightTile.lighter(108), 3.5);
    fill(p, moon, c::white);
}

void wallpaperChanger48(QPainter &p)
{
    tile(p, wallpaperTile);
    fill(p, rounded(QRectF(7, 9, 32, 26), 3), c::white);
    landscape(p, QRectF(10, 12, 26, 20), QColor(QRgb(0xCCFBF1)), c::teal, c::amber);
    badge(p, QPointF(36, 35), 8, c::amber, wallpaperTile, 2);
    circularArrow(p, QPointF(36, 35), 4.2, 110, 140, 1.8, 2.4, c::white);
    circularArrow(p, QPointF(36, 35), 4.2, 290, 140, 1.8, 2.4, c::white);
}

void folderSizeAnalyzer48(QPainter &p)
{
    tile(p, folderSizeTile);
    folder(p, QRectF(8, 10, 32, 28));
    const qreal bottom = 34.5;
    const struct
    {
        qreal x, height;
        QColor colour;
    } bars[] = {{14, 7, c::blue}, {21.75, 13, c::red}, {29.5, 10, c::green}};
    for (const auto &bar : bars)
        fill(p, rounded(QRectF(bar.x, bottom - bar.height, 4.5, bar.height), 1), bar.colour);
}

void fileDuplicate48(QPainter &p)
{
    tile(p, duplicateTile);
    page(p, QRectF(10, 7, 20, 26), 6, withAlpha(c::white, 140), Qt::transparent, 0);
    page(p, QRectF(17, 14, 21, 27), 6, c::white, Qt::transparent, 0);
    for (qreal y : {24.0, 28.5, 33.0})
        strokeLine(p, QPointF(21.5, y), QPointF(y < 25 ? 29 : 33.5, y), c::purpleLight, 2.2);
}

void myTrayIcon48(QPainter &p)
{
    tile(p, trayTile);
    fill(p, rounded(QRectF(6, 35, 36, 7), 2), c::ink);
    fill(p, circle(QPointF(28, 38.5), 1.5), c::slateLight);
    fill(p, circle(QPointF(32.5, 38.5), 1.5), c::greenLight);
    fill(p, rounded(QRectF(35.2, 36.2, 4.6, 4.6), 1), c::white);
    fill(p, rounded(QRectF(12, 6, 30, 26), 3).united(polygon({{34.5, 31}, {37.5, 31}, {37.5, 34}})), c::white);
    fill(p, rounded(QRectF(14, 16, 26, 6), 1.5), QColor(QRgb(0xFCE7F3)));
    const QColor dots[] = {c::blue, trayTile, c::green};
    for (int i = 0; i < 3; ++i) {
        const qreal y = 11 + i * 8;
        fill(p, rounded(QRectF(16, y - 1.75, 3.5, 3.5), 1), dots[i]);
        strokeLine(p, QPointF(22.5, y), QPointF(i == 1 ? 36 : 33, y), c::slateMid, 1.8);
    }
}

void processManager48(QPainter &p)
{
    tile(p, processTile);
    fill(p, rounded(QRectF(7, 9, 34, 30), 3), c::white);
    p.save();
    p.setClipPath(rounded(QRectF(7, 9, 34, 30), 3));
    p.fillRect(QRectF(7, 9, 34, 5.5), c::mist);
    p.restore();
    for (int i = 0; i < 3; ++i)
        fill(p, circle(QPointF(11 + i * 3.6, 11.75), 1.1), i == 0 ? c::red : c::slateLight);
    for (qreal y : {22.0, 29.0, 36.0})
        strokeLine(p, QPointF(10, y), QPointF(38, y), c::mist, 0.8);
    stroke(p, polyline({{10.5, 29}, {16.5, 29}, {19.5, 20.5}, {24, 35.5}, {28, 23.5}, {30.5, 29}, {37.5, 29}}),
           c::green, 2.6);
}

void secureDelete48(QPainter &p)
{
    tile(p, shredTile);
    page(p, QRectF(14, 5, 20, 20), 5, c::white, Qt::transparent, 0);
    for (qreal y : {12.0, 16.0})
        strokeLine(p, QPointF(17.5, y), QPointF(28.5, y), c::redLight, 1.8);
    fill(p, rounded(QRectF(8, 20, 32, 11), 3), c::ink);
    strokeLine(p, QPointF(12, 24), QPointF(36, 24), c::slate, 1.6);
    fill(p, circle(QPointF(35, 27.6), 1.2), c::greenLight);
    const qreal lengths[] = {8, 10.5, 7, 10, 8.5, 6};
    for (int i = 0; i < 6; ++i) {
        const qreal x = 14 + i * 4;
        strokeLine(p, QPointF(x, 32.5), QPointF(x, 32.5 + lengths[i]), c::white, 2.4);
    }
}

void smartShortcut48(QPainter &p)
{
    tile(p, shortcutTile);
    fill(p, rounded(QRectF(9, 8, 30, 32), 6), c::white);
    fill(p, bolt(QRectF(17, 11, 17, 26)), shortcutTile);
    // The corner arrow that marks a shortcut.
    fill(p, rounded(QRectF(9, 28, 12, 12), 3), c::blue);
    QPainterPath bend(QPointF(12.5, 37));
    bend.cubicTo(QPointF(12.5, 33), QPointF(14, 32), QPointF(17.5, 32));
    stroke(p, bend, c::white, 1.8);
    stroke(p, polygon({{15.5, 30}, {18, 32}, {15.5, 34}}), c::white, 1.6);
}

void computing48(QPainter &p)
{
    tile(p, computerTile);
    const QRectF screen = monitor(p, QRectF(8, 9, 32, 30), c::white, c::skyLight);
    const QPointF centre = screen.center();
    fill(p, circle(centre + QPointF(0, -4.6), 1.9), computerTile);
    fill(p, rounded(QRectF(centre.x() - 1.6, centre.y() - 1.5, 3.2, 7.5), 1.2), computerTile);
}

void trackCleaner48(QPainter &p)
{
    tile(p, cleanerTile);
    p.save();
    p.translate(-3.5, -1);
    turn(p, 34);
    broom(p, c::white, c::brown, c::amberLight);
    p.restore();
    fill(p, sparkle(QPointF(35, 33), 5), c::white);
    fill(p, sparkle(QPointF(39.5, 23.5), 2.8), c::white);
    fill(p, sparkle(QPointF(29, 40), 2.4), c::white);
}

void glasspan48(QPainter &p)
{
    tile(p, glassTile);
    const QRectF screen(7, 9, 34, 30);
    const QPainterPath frame = rounded(screen, 3);
    p.save();
    p.setClipPath(frame);
    landscape(p, screen, c::blueDark, c::blue, c::amber);
    // The taskbar as see-through glass: the checkerboard that stands for transparency, over the picture.
    const QRectF bar(7, 29, 34, 10);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 14; ++col)
            p.fillRect(QRectF(bar.x() + col * 2.5, bar.y() + row * 2.5, 2.5, 2.5),
                       withAlpha(c::white, (row + col) % 2 ? 60 : 150));
    strokeLine(p, QPointF(7, 29.4), QPointF(41, 29.4), c::white, 0.8);
    const QColor icons[] = {c::amber, c::white, c::white, c::white};
    for (int i = 0; i < 4; ++i)
        fill(p, rounded(QRectF(15.6 + i * 4.6, 32.2, 3.4, 3.4), 0.9), icons[i]);
    p.restore();
    stroke(p, frame, c::white, 1.6);
}

void miscTools48(QPainter &p)
{
    tile(p, toolsTile);
    // Screwdriver, leaning right.
    p.save();
    turn(p, 45);
    strokeLine(p, QPointF(24, 7), QPointF(24, 27), c::mist, 2.6);
    fill(p, rounded(QRectF(20.5, 27, 7, 14), 3), c::amberLight);
    p.restore();
    // Wrench, leaning left, on top with a gap in the tile's colour.
    p.save();
    turn(p, -45);
    QPainterPath wrench = circle(QPointF(24, 12), 8);
    wrench = wrench.united(rounded(QRectF(20.8, 14, 6.4, 27), 3.2));
    QPainterPath jaw;
    jaw.addRect(QRectF(21.4, 2, 5.2, 10));
    wrench = wrench.subtracted(jaw);
    stroke(p, wrench, toolsTile, 3);
    fill(p, wrench, c::white);
    p.restore();
}

void hushdeck48(QPainter &p)
{
    tile(p, brandTile);
    const qreal knobs[] = {30, 17, 25};
    const QColor caps[] = {c::amber, c::tealLight, c::pink};
    for (int i = 0; i < 3; ++i) {
        const qreal y = 14 + i * 10;
        strokeLine(p, QPointF(11, y), QPointF(37, y), withAlpha(c::white, 110), 3);
        strokeLine(p, QPointF(11, y), QPointF(knobs[i], y), c::white, 3);
        fill(p, circle(QPointF(knobs[i], y), 4.8), c::white);
        fill(p, circle(QPointF(knobs[i], y), 2.6), caps[i]);
    }
}

void update128(QPainter &p)
{
    tile(p, updateTile);
    circularArrow(p, QPointF(24, 24), 13, 100, 150, 3.6, 5, c::white);
    circularArrow(p, QPointF(24, 24), 13, 280, 150, 3.6, 5, c::white);
    arrow(p, QPointF(24, 17.5), QPointF(24, 30), 5, 3, c::white);
}

void symbolChat48(QPainter &p)
{
    const QPainterPath bubble = rounded(QRectF(4, 6, 40, 29), 10).united(polygon({{11, 32}, {9, 43}, {21, 34}}));
    stroke(p, bubble, c::blue, 1.5);
    fill(p, bubble, c::blue);
    for (int i = 0; i < 3; ++i)
        fill(p, circle(QPointF(15 + i * 9, 20.5), 2.7), c::white);
}

void rocket(QPainter &p)
{
    tile(p, rocketTile);
    for (const QPointF &pt : {QPointF(10, 13), QPointF(14, 34), QPointF(37, 38)})
        fill(p, sparkle(pt, 1.8), withAlpha(c::white, 190));
    turn(p, 45);
    const QPainterPath flame = polygon({{19.5, 32}, {24, 44}, {28.5, 32}});
    stroke(p, flame, c::amber, 2);
    fill(p, flame, c::amber);
    fill(p, polygon({{21.8, 32}, {24, 39.5}, {26.2, 32}}), c::amberLight);
    QPainterPath fins = polygon({{18.6, 21}, {11.5, 33.5}, {18.6, 31}});
    fins = fins.united(polygon({{29.4, 21}, {36.5, 33.5}, {29.4, 31}}));
    stroke(p, fins, c::red, 1.5);
    fill(p, fins, c::red);
    QPainterPath body(QPointF(24, 4));
    body.cubicTo(QPointF(31.5, 9), QPointF(31.5, 21), QPointF(30, 32));
    body.lineTo(QPointF(18, 32));
    body.cubicTo(QPointF(16.5, 21), QPointF(16.5, 9), QPointF(24, 4));
    fill(p, body, c::white);
    fill(p, circle(QPointF(24, 17), 3.6), c::blueDark);
    fill(p, circle(QPointF(24, 17), 2.4), c::skyLight);
    strokeLine(p, QPointF(22, 34), QPointF(26, 34), c::slateLight, 2.4);
}

static void roundArrowButton(QPainter &p, bool right)
{
    fill(p, circle(QPointF(32, 33.5), 28.5), QColor(0, 0, 0, 40));
    fill(p, circle(QPointF(32, 32), 28), c::white);
    stroke(p, circle(QPointF(32, 32), 27.5), c::line, 1);
    const qreal s = right ? -1 : 1;
    stroke(p, polyline({{32 + s * 5, 19}, {32 - s * 8, 32}, {32 + s * 5, 45}}), c::slate, 5.5);
}

void arrowLeft64(QPainter &p)
{
    roundArrowButton(p, false);
}

void arrowRight64(QPainter &p)
{
    roundArrowButton(p, true);
}

} // namespace draw
