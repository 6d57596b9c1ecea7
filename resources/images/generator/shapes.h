// The palette and the shapes the icons are built from. Every drawing function works in design units (the
// painter is already scaled), so one shape serves a 16, 24 or 48 pixel icon alike.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

namespace art {

// One palette for the whole set: saturated module colours for the 48 pixel tiles, the same hues for
// the glyphs of the toolbars, slates for frames and text.
namespace colour {
inline const QColor ink{QRgb(0x1E293B)};
inline const QColor slate{QRgb(0x475569)};
inline const QColor slateMid{QRgb(0x64748B)};
inline const QColor slateLight{QRgb(0x94A3B8)};
inline const QColor line{QRgb(0xCBD5E1)};
inline const QColor mist{QRgb(0xE2E8F0)};
inline const QColor paper{QRgb(0xF8FAFC)};
inline const QColor white{QRgb(0xFFFFFF)};

inline const QColor blue{QRgb(0x2563EB)};
inline const QColor blueLight{QRgb(0x93C5FD)};
inline const QColor blueDark{QRgb(0x1E40AF)};
inline const QColor sky{QRgb(0x0284C7)};
inline const QColor skyLight{QRgb(0xBAE6FD)};
inline const QColor indigo{QRgb(0x4F46E5)};
inline const QColor navy{QRgb(0x1E1B4B)};
inline const QColor teal{QRgb(0x0D9488)};
inline const QColor tealLight{QRgb(0x5EEAD4)};
inline const QColor cyan{QRgb(0x0891B2)};
inline const QColor green{QRgb(0x16A34A)};
inline const QColor greenLight{QRgb(0x86EFAC)};
inline const QColor amber{QRgb(0xF59E0B)};
inline const QColor amberLight{QRgb(0xFDE68A)};
inline const QColor orange{QRgb(0xEA580C)};
inline const QColor brown{QRgb(0x92400E)};
inline const QColor red{QRgb(0xDC2626)};
inline const QColor redLight{QRgb(0xFCA5A5)};
inline const QColor purple{QRgb(0x7C3AED)};
inline const QColor purpleLight{QRgb(0xC4B5FD)};
inline const QColor pink{QRgb(0xDB2777)};
inline const QColor folderBack{QRgb(0xE9A112)};
inline const QColor folderFront{QRgb(0xFCC934)};
} // namespace colour

QColor withAlpha(QColor c, int alpha);

QPainterPath rounded(const QRectF &r, qreal radius);
QPainterPath circle(QPointF centre, qreal radius);
QPainterPath polygon(std::initializer_list<QPointF> points);
// An open line through the points, for stroking.
QPainterPath polyline(std::initializer_list<QPointF> points);

void fill(QPainter &p, const QPainterPath &path, const QColor &c);
void stroke(QPainter &p, const QPainterPath &path, const QColor &c, qreal width);
void strokeLine(QPainter &p, QPointF a, QPointF b, const QColor &c, qreal width);

// The rounded square behind each module icon, drawn on a 48 unit design grid.
void tile(QPainter &p, const QColor &c);

// A folder filling r: a darker back with a tab, a lighter front.
void folder(QPainter &p, const QRectF &r, const QColor &back = colour::folderBack,
            const QColor &front = colour::folderFront);
// A sheet of paper with the top right corner folded; edge 0 draws no outline.
void page(QPainter &p, const QRectF &r, qreal fold, const QColor &fillColour, const QColor &edge, qreal edgeWidth);
// A round badge with a ring in the colour of what lies below, so it stands off the shape it overlaps.
void badge(QPainter &p, QPointF centre, qreal radius, const QColor &fillColour, const QColor &ring, qreal ringWidth);

// Glyphs for badges and round buttons, centred on c; half is half the glyph's extent.
void plus(QPainter &p, QPointF c, qreal half, qreal width, const QColor &colour);
void minus(QPainter &p, QPointF c, qreal half, qreal width, const QColor &colour);
void cross(QPainter &p, QPointF c, qreal half, qreal width, const QColor &colour);
void check(QPainter &p, QPointF c, qreal half, qreal width, const QColor &colour);

// An arc of radius r around c from startDeg over spanDeg (degrees, counter-clockwise), ending in a head.
void circularArrow(QPainter &p, QPointF c, qreal r, qreal startDeg, qreal spanDeg, qreal width, qreal head,
                   const QColor &colour);
// A straight arrow from tail to tip with an open chevron head.
void arrow(QPainter &p, QPointF tail, QPointF tip, qreal head, qreal width, const QColor &colour);

QPainterPath gear(QPointF c, qreal outer, qreal inner, int teeth, qreal hole);
QPainterPath star(QPointF c, qreal outer, qreal inner, int points);
QPainterPath bolt(const QRectF &r);
QPainterPath cloud(const QRectF &r);
QPainterPath house(const QRectF &r, bool door);
QPainterPath musicNote(const QRectF &r);
// Four-pointed glint used for "clean" and "new".
QPainterPath sparkle(QPointF c, qreal r);

// A display: frame, screen and stand, fitting r; returns the screen rectangle.
QRectF monitor(QPainter &p, const QRectF &r, const QColor &frame, const QColor &screen);
// A framed landscape (sky, hills, sun) inside r.
void landscape(QPainter &p, const QRectF &r, const QColor &sky, const QColor &hill, const QColor &sun);
// An isometric cube centred on c with the given half width.
void cube(QPainter &p, QPointF c, qreal half, const QColor &top, const QColor &left, const QColor &right);
// An upright broom on a 48 unit grid, bristles down; callers scale and tilt it.
void broom(QPainter &p, const QColor &handle, const QColor &band, const QColor &bristles);

} // namespace art
