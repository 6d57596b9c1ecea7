#include "shapes.h"

#include <QLinearGradient>
#include <QtMath>

namespace art {

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

QPainterPath rounded(const QRectF &r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath circle(QPointF centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath polyline(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    return path;
}

void fill(QPainter &p, const QPainterPath &path, const QColor &c)
{
    p.fillPath(path, c);
}

static QPen roundPen(const QColor &c, qreal width)
{
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void stroke(QPainter &p, const QPainterPath &path, const QColor &c, qreal width)
{
    p.strokePath(path, roundPen(c, width));
}

void strokeLine(QPainter &p, QPointF a, QPointF b, const QColor &c, qreal width)
{
    QPainterPath path(a);
    path.lineTo(b);
    stroke(p, path, c, width);
}

void tile(QPainter &p, const QColor &c)
{
    // A faint top-to-bottom fall keeps the flat tiles from looking like holes in the panel.
    QLinearGradient gradient(0, 2, 0, 46);
    gradient.setColorAt(0, c.lighter(118));
    gradient.setColorAt(1, c);
    p.fillPath(rounded(QRectF(2, 2, 44, 44), 10), gradient);
}

void folder(QPainter &p, const QRectF &r, const QColor &back, const QColor &front)
{
    const qreal radius = r.width() * 0.07;
    const qreal tab = r.height() * 0.16;
    QPainterPath backPath = rounded(QRectF(r.x(), r.y() + tab * 0.7, r.width(), r.height() - tab * 0.7), radius);
    backPath = backPath.united(rounded(QRectF(r.x(), r.y(), r.width() * 0.42, tab * 2), radius));
    fill(p, backPath, back);
    fill(p, rounded(QRectF(r.x(), r.y() + r.height() * 0.3, r.width(), r.height() * 0.7), radius), front);
}

void page(QPainter &p, const QRectF &r, qreal fold, const QColor &fillColour, const QColor &edge, qreal edgeWidth)
{
    const QPainterPath sheet = polygon({r.topLeft(), QPointF(r.right() - fold, r.top()),
                                        QPointF(r.right(), r.top() + fold), r.bottomRight(), r.bottomLeft()});
    fill(p, sheet, fillColour);
    const QPainterPath corner = polygon({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                                         QPointF(r.right(), r.top() + fold)});
    fill(p, corner, fillColour.darker(118));
    if (edgeWidth > 0) {
        stroke(p, sheet, edge, edgeWidth);
        stroke(p, corner, edge, edgeWidth);
    }
}

void badge(QPainter &p, QPointF centre, qreal radius, const QColor &fillColour, const QColor &ring, qreal ringWidth)
{
    if (ringWidth > 0) {
        if (ring.alpha() == 0) {
            // On a transparent icon the ring is a gap cut out of what lies below.
            p.save();
            p.setCompositionMode(QPainter::CompositionMode_Clear);
            fill(p, circle(centre, radius + ringWidth), Qt::black);
            p.restore();
        } else {
            fill(p, circle(centre, radius + ringWidth), ring);
        }
    }
    fill(p, circle(centre, radius), fillColour);
}

void plus(QPainter &p, QPointF c, qreal half, qreal width, const QColor &colour)
{
    strokeLine(p, c - QPointF(half, 0), c + QPointF(half, 0), colour, width);
    strokeLine(p, c - QPointF(0, half), c + QPointF(0, half), colour, width);
}

void minus(QPainter &p, QPointF c, qreal half, qreal width, const QColor &colour)
{
    strokeLine(p, c - QPointF(half, 0), c + QPointF(half, 0), colour, width);
}

void cross(QPainter &p, QPointF c, qreal half, qreal width, const QColor &colour)
{
    strokeLine(p, c - QPointF(half, half), c + QPointF(half, half), colour, width);
    strokeLine(p, c + QPointF(-half, half), c + QPointF(half, -half), colour, width);
}

void check(QPainter &p, QPointF c, qreal half, qreal width, const QColor &colour)
{
    QPainterPath path(c + QPointF(-half, 0.05 * half));
    path.lineTo(c + QPointF(-0.3 * half, 0.7 * half));
    path.lineTo(c + QPointF(half, -0.65 * half));
    stroke(p, path, colour, width);
}

static QPointF onCircle(QPointF c, qreal r, qreal degrees)
{
    const qreal a = qDegreesToRadians(degrees);
    return c + QPointF(r * qCos(a), -r * qSin(a));
}

void circularArrow(QPainter &p, QPointF c, qreal r, qreal startDeg, qreal spanDeg, qreal width, qreal head,
                   const QColor &colour)
{
    const qreal sign = spanDeg < 0 ? -1 : 1;
    // The stroke stops where the head's base sits, so no round cap pokes out past the head.
    const qreal headDeg = qRadiansToDegrees(head * 0.45 / r);
    const qreal endDeg = startDeg + spanDeg - sign * headDeg;
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    QPainterPath arc;
    arc.arcMoveTo(box, startDeg);
    arc.arcTo(box, startDeg, endDeg - startDeg);
    p.strokePath(arc, QPen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));

    const QPointF base = onCircle(c, r, endDeg);
    const qreal a = qDegreesToRadians(endDeg);
    const QPointF along = QPointF(-qSin(a), -qCos(a)) * sign;
    const QPointF out(qCos(a), -qSin(a));
    const QPainterPath tip = polygon({base + along * head, base + out * head * 0.85, base - out * head * 0.85});
    p.save();
    p.setPen(QPen(colour, width * 0.35, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPath(tip);
    p.restore();
}

void arrow(QPainter &p, QPointF tail, QPointF tip, qreal head, qreal width, const QColor &colour)
{
    const QPointF d = tip - tail;
    const qreal length = qSqrt(QPointF::dotProduct(d, d));
    const QPointF back = -d / length;
    const qreal turn = qDegreesToRadians(42.0);
    auto rotated = [&](qreal angle) {
        return QPointF(back.x() * qCos(angle) - back.y() * qSin(angle),
                       back.x() * qSin(angle) + back.y() * qCos(angle));
    };
    QPainterPath path(tail);
    path.lineTo(tip);
    path.moveTo(tip + rotated(turn) * head);
    path.lineTo(tip);
    path.lineTo(tip + rotated(-turn) * head);
    stroke(p, path, colour, width);
}

QPainterPath gear(QPointF c, qreal outer, qreal inner, int teeth, qreal hole)
{
    QPolygonF points;
    const qreal step = 360.0 / teeth;
    for (int i = 0; i < teeth; ++i) {
        const qreal a = i * step + 90;
        points << onCircle(c, inner, a - 0.32 * step) << onCircle(c, outer, a - 0.17 * step)
               << onCircle(c, outer, a + 0.17 * step) << onCircle(c, inner, a + 0.32 * step);
    }
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    // The hub rounds the valleys between the teeth.
    path = path.united(circle(c, inner + 0.01));
    return path.subtracted(circle(c, hole));
}

QPainterPath star(QPointF c, qreal outer, qreal inner, int points)
{
    QPolygonF corners;
    for (int i = 0; i < 2 * points; ++i)
        corners << onCircle(c, i % 2 ? inner : outer, 90 + i * 180.0 / points);
    QPainterPath path;
    path.addPolygon(corners);
    path.closeSubpath();
    return path;
}

static QPointF at(const QRectF &r, qreal x, qreal y)
{
    return QPointF(r.x() + x * r.width(), r.y() + y * r.height());
}

QPainterPath bolt(const QRectF &r)
{
    return polygon({at(r, 0.58, 0), at(r, 0.12, 0.56), at(r, 0.46, 0.56), at(r, 0.34, 1), at(r, 0.88, 0.42),
                    at(r, 0.54, 0.42), at(r, 0.78, 0)});
}

QPainterPath cloud(const QRectF &r)
{
    const qreal w = r.width();
    QPainterPath path = rounded(QRectF(at(r, 0.02, 0.48), at(r, 0.98, 0.96)), r.height() * 0.24);
    path = path.united(circle(at(r, 0.32, 0.56), 0.2 * w));
    path = path.united(circle(at(r, 0.58, 0.44), 0.27 * w));
    path = path.united(circle(at(r, 0.8, 0.64), 0.17 * w));
    return path;
}

QPainterPath house(const QRectF &r, bool door)
{
    QPainterPath path = polygon({at(r, 0, 0.5), at(r, 0.5, 0), at(r, 1, 0.5)});
    QPainterPath body;
    body.addRect(QRectF(at(r, 0.15, 0.4), at(r, 0.85, 1)));
    path = path.united(body);
    if (door) {
        QPainterPath gap;
        gap.addRect(QRectF(at(r, 0.4, 0.64), at(r, 0.6, 1.01)));
        path = path.subtracted(gap);
    }
    return path;
}

QPainterPath musicNote(const QRectF &r)
{
    QPainterPath path;
    path.addEllipse(at(r, 0.23, 0.82), 0.23 * r.width(), 0.17 * r.height());
    path.addEllipse(at(r, 0.77, 0.7), 0.23 * r.width(), 0.17 * r.height());
    path.addRect(QRectF(at(r, 0.34, 0.16), at(r, 0.46, 0.82)));
    path.addRect(QRectF(at(r, 0.88, 0.04), at(r, 1.0, 0.7)));
    path.addPolygon(QPolygonF({at(r, 0.34, 0.16), at(r, 1.0, 0.0), at(r, 1.0, 0.2), at(r, 0.34, 0.36)}));
    path.setFillRule(Qt::WindingFill);
    return path.simplified();
}

QPainterPath sparkle(QPointF c, qreal r)
{
    QPainterPath path(c + QPointF(0, -r));
    path.quadTo(c, c + QPointF(r, 0));
    path.quadTo(c, c + QPointF(0, r));
    path.quadTo(c, c + QPointF(-r, 0));
    path.quadTo(c, c + QPointF(0, -r));
    return path;
}

QRectF monitor(QPainter &p, const QRectF &r, const QColor &frame, const QColor &screen)
{
    const qreal w = r.width();
    const QRectF body(r.x(), r.y(), w, r.height() * 0.76);
    const qreal bezel = w * 0.07;
    fill(p, rounded(QRectF(r.center().x() - w * 0.08, body.bottom() - 1, w * 0.16, r.height() * 0.18), 0), frame);
    fill(p,
         rounded(QRectF(r.center().x() - w * 0.26, r.bottom() - r.height() * 0.09, w * 0.52, r.height() * 0.09),
                 r.height() * 0.04),
         frame);
    fill(p, rounded(body, w * 0.07), frame);
    const QRectF inner = body.adjusted(bezel, bezel, -bezel, -bezel);
    fill(p, rounded(inner, w * 0.025), screen);
    return inner;
}

void landscape(QPainter &p, const QRectF &r, const QColor &sky, const QColor &hill, const QColor &sun)
{
    p.save();
    p.setClipRect(r);
    p.fillRect(r, sky);
    fill(p, circle(at(r, 0.72, 0.3), 0.12 * qMin(r.width(), r.height()) + 0.4), sun);
    QPainterPath hills(at(r, -0.05, 1.05));
    hills.lineTo(at(r, -0.05, 0.8));
    hills.lineTo(at(r, 0.32, 0.4));
    hills.lineTo(at(r, 0.58, 0.7));
    hills.lineTo(at(r, 0.74, 0.55));
    hills.lineTo(at(r, 1.05, 0.88));
    hills.lineTo(at(r, 1.05, 1.05));
    hills.closeSubpath();
    fill(p, hills, hill);
    p.restore();
}

void cube(QPainter &p, QPointF c, qreal half, const QColor &top, const QColor &left, const QColor &right)
{
    const qreal x = c.x(), y = c.y(), q = half / 2;
    fill(p, polygon({{x, y - half}, {x + half, y - q}, {x, y}, {x - half, y - q}}), top);
    fill(p, polygon({{x - half, y - q}, {x, y}, {x, y + half}, {x - half, y + q}}), left);
    fill(p, polygon({{x + half, y - q}, {x, y}, {x, y + half}, {x + half, y + q}}), right);
}

void broom(QPainter &p, const QColor &handle, const QColor &band, const QColor &bristles)
{
    strokeLine(p, QPointF(24, 4), QPointF(24, 24), handle, 3.4);
    fill(p, rounded(QRectF(18.5, 22, 11, 5), 1.5), band);
    QPainterPath head = polygon({{18.5, 27}, {29.5, 27}, {33.5, 41}, {14.5, 41}});
    stroke(p, head, bristles, 1.5);
    fill(p, head, bristles);
    for (qreal x : {20.0, 24.0, 28.0})
        strokeLine(p, QPointF(x + (x - 24) * 0.05, 31), QPointF(x + (x - 24) * 0.35, 40.5), band, 1.1);
}

} // namespace art
