// Illustrations of the Taskbar pages: one taskbar drawn at any size, with its buttons centred or on the
// left, and the parts each page changes picked out.
#include "drawings.h"
#include "shapes.h"

#include <QFont>
#include <QLinearGradient>

using namespace art;
namespace c = art::colour;

namespace draw {

namespace {

const QColor barBack{QRgb(0xEEF1F6)};
const QColor highlight = c::amber;

void label(QPainter &p, qreal x, qreal y, qreal w, qreal h, const QColor &colour)
{
    fill(p, rounded(QRectF(x, y, w, h), h / 2), colour);
}

// The four panes of the start button, a square of side s.
void startGlyph(QPainter &p, QPointF topLeft, qreal s)
{
    const qreal pane = s * 0.46, gap = s - 2 * pane;
    for (int i = 0; i < 4; ++i)
        fill(p,
             rounded(QRectF(topLeft.x() + (i % 2) * (pane + gap), topLeft.y() + (i / 2) * (pane + gap), pane, pane),
                     s * 0.06),
             c::blue);
}

// One app button of side s at x: folder, browser, store, mail, by kind.
void appGlyph(QPainter &p, QPointF topLeft, qreal s, int kind)
{
    const QRectF r(topLeft, QSizeF(s, s));
    switch (kind % 4) {
    case 0:
        folder(p, r.adjusted(0, s * 0.12, 0, -s * 0.1));
        break;
    case 1:
        fill(p, circle(r.center(), s * 0.48), c::teal);
        fill(p, circle(r.center() + QPointF(s * 0.1, s * 0.1), s * 0.26), c::white);
        break;
    case 2:
        fill(p, rounded(r.adjusted(s * 0.05, s * 0.25, -s * 0.05, 0), s * 0.1), c::purple);
        stroke(p, rounded(QRectF(r.left() + s * 0.3, r.top() + s * 0.02, s * 0.4, s * 0.4), s * 0.15), c::purple,
               s * 0.09);
        break;
    default:
        fill(p, rounded(r.adjusted(0, s * 0.15, 0, -s * 0.1), s * 0.1), c::sky);
        stroke(p,
               polyline({{r.left() + s * 0.1, r.top() + s * 0.3},
                         {r.center().x(), r.center().y() + s * 0.05},
                         {r.right() - s * 0.1, r.top() + s * 0.3}}),
               c::white, s * 0.08);
    }
}

// The search, task view, widgets and chat buttons, each a glyph of side s.
void searchGlyph(QPainter &p, QPointF topLeft, qreal s)
{
    stroke(p, circle(topLeft + QPointF(s * 0.42, s * 0.42), s * 0.3), c::slate, s * 0.1);
    strokeLine(p, topLeft + QPointF(s * 0.64, s * 0.64), topLeft + QPointF(s * 0.92, s * 0.92), c::slate, s * 0.12);
}

void taskViewGlyph(QPainter &p, QPointF topLeft, qreal s)
{
    stroke(p, rounded(QRectF(topLeft + QPointF(0, s * 0.25), QSizeF(s * 0.62, s * 0.55)), s * 0.08), c::ink, s * 0.09);
    fill(p, rounded(QRectF(topLeft + QPointF(s * 0.38, s * 0.1), QSizeF(s * 0.62, s * 0.55)), s * 0.08),
         withAlpha(c::slateMid, 200));
}

void widgetsGlyph(QPainter &p, QPointF topLeft, qreal s)
{
    fill(p, rounded(QRectF(topLeft, QSizeF(s * 0.45, s)), s * 0.1), c::sky);
    fill(p, rounded(QRectF(topLeft + QPointF(s * 0.55, 0), QSizeF(s * 0.45, s * 0.45)), s * 0.1), c::blueLight);
    fill(p, rounded(QRectF(topLeft + QPointF(s * 0.55, s * 0.55), QSizeF(s * 0.45, s * 0.45)), s * 0.1), c::blue);
}

void chatGlyph(QPainter &p, QPointF topLeft, qreal s)
{
    fill(p, rounded(QRectF(topLeft + QPointF(0, s * 0.05), QSizeF(s, s * 0.7)), s * 0.25), c::indigo);
    fill(p,
         polygon({topLeft + QPointF(s * 0.2, s * 0.6), topLeft + QPointF(s * 0.15, s * 0.98),
                  topLeft + QPointF(s * 0.5, s * 0.7)}),
         c::indigo);
    for (int i = 0; i < 3; ++i)
        fill(p, circle(topLeft + QPointF(s * (0.28 + i * 0.22), s * 0.4), s * 0.07), c::white);
}

void ring(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(highlight, 2));
    p.setBrush(withAlpha(highlight, 40));
    p.drawRoundedRect(r, 4, 4);
}

// The clock: time over date, or with seconds when shown.
void clock(QPainter &p, QPointF topLeft, qreal h, const QString &time)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qMax(6, int(h * 0.36)));
    p.setFont(font);
    p.setPen(c::ink);
    p.drawText(QRectF(topLeft, QSizeF(h * 1.9, h * 0.5)), Qt::AlignCenter, time);
    font.setPixelSize(qMax(5, int(h * 0.3)));
    p.setFont(font);
    p.setPen(c::slateMid);
    p.drawText(QRectF(topLeft + QPointF(0, h * 0.5), QSizeF(h * 1.9, h * 0.45)), Qt::AlignCenter,
               QStringLiteral("12/9/2026"));
}

// A taskbar filling r: start and four apps, centred or from the left, the notification area on the right.
void taskbarIn(QPainter &p, const QRectF &r, bool centred, qreal icon, const QColor &back = barBack)
{
    fill(p, rounded(r, 5), back);
    p.setPen(QPen(c::line, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 5, 5);
    const qreal step = icon * 1.9, count = 6;
    const qreal left = centred ? r.center().x() - step * count / 2 : r.left() + icon * 0.6;
    const qreal top = r.center().y() - icon / 2;
    startGlyph(p, {left, top}, icon);
    searchGlyph(p, {left + step, top}, icon);
    for (int i = 0; i < 4; ++i)
        appGlyph(p, {left + step * (2 + i), top}, icon, i);
    strokeLine(p, {left + step * 2, r.bottom() - 3}, {left + step * 2 + icon, r.bottom() - 3}, c::blue, 2);
    // Notification area: network and volume where the buttons leave room, then the clock.
    const qreal right = r.right() - 6;
    const qreal ch = qMin(r.height() * 0.7, qreal(26));
    clock(p, {right - ch * 1.9, r.center().y() - ch / 2}, ch, QStringLiteral("10:24"));
    for (int i = 0; i < 2; ++i) {
        const qreal x = right - ch * 1.9 - 8 - i * 11;
        if (x - 3 > left + step * count)
            fill(p, circle({x, r.center().y()}, 3), c::slateMid);
    }
}

// A screen of size w x h with its taskbar along one edge (0 left, 1 top, 2 right, 3 bottom).
void screenWithTaskbar(QPainter &p, int edge)
{
    const QRectF screen(4.5, 4.5, 111, 81);
    QLinearGradient sky(0, 0, 0, 90);
    sky.setColorAt(0, c::skyLight);
    sky.setColorAt(1, c::sky);
    fill(p, rounded(screen, 5), QColor());
    p.save();
    p.setClipPath(rounded(screen, 5));
    p.fillRect(screen, sky);
    const qreal t = 12;
    QRectF bar;
    switch (edge) {
    case 0:
        bar = QRectF(screen.left(), screen.top(), t, screen.height());
        break;
    case 1:
        bar = QRectF(screen.left(), screen.top(), screen.width(), t);
        break;
    case 2:
        bar = QRectF(screen.right() - t, screen.top(), t, screen.height());
        break;
    default:
        bar = QRectF(screen.left(), screen.bottom() - t, screen.width(), t);
        break;
    }
    p.fillRect(bar, barBack);
    const bool vertical = edge == 0 || edge == 2;
    for (int i = 0; i < 4; ++i) {
        const QPointF at = vertical ? QPointF(bar.left() + 3, bar.top() + 5 + i * 10)
                                    : QPointF(bar.left() + 5 + i * 10, bar.top() + 3);
        if (i == 0)
            startGlyph(p, at, 6);
        else
            appGlyph(p, at, 6, i);
    }
    p.restore();
    p.setPen(QPen(c::slate, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(screen, 5, 5);
    p.setPen(QPen(highlight, 2));
    p.drawRect(bar.adjusted(1, 1, -1, -1));
}

// The notification area with n icons in the given number of rows.
void trayRows(QPainter &p, int rows)
{
    const QRectF bar(0.5, 0.5, 159, 47);
    fill(p, rounded(bar, 5), barBack);
    const int perRow = rows == 1 ? 6 : 3;
    const qreal size = rows == 1 ? 10 : 9;
    const qreal rowStep = 13;
    const qreal top = 24 - (rows * rowStep - (rowStep - size)) / 2;
    const QColor colours[] = {c::green, c::red, c::amber, c::blue, c::purple, c::teal};
    for (int i = 0; i < 6; ++i) {
        const int row = i / perRow, col = i % perRow;
        fill(p, rounded(QRectF(8 + col * 15, top + row * rowStep, size, size), 2.5), colours[i]);
    }
    clock(p, {100, 9}, 30, QStringLiteral("10:24"));
}

// A strip of taskbar buttons from the left, the item in position `picked` (0 search, 1 task view,
// 2 widgets, 3 chat) ringed.
void itemStrip(QPainter &p, int picked)
{
    const QRectF bar(0.5, 0.5, 159, 47);
    fill(p, rounded(bar, 5), barBack);
    const qreal s = 16, y = 16;
    startGlyph(p, {10, y}, s);
    const qreal xs[] = {40, 68, 96, 124};
    searchGlyph(p, {xs[0], y}, s);
    taskViewGlyph(p, {xs[1], y}, s);
    widgetsGlyph(p, {xs[2], y}, s);
    chatGlyph(p, {xs[3], y}, s);
    ring(p, QRectF(xs[picked] - 5, y - 5, s + 10, s + 10));
}

// Buttons of one program: combined (one icon, stacked) or each with its window's title.
void grouping(QPainter &p, bool grouped)
{
    const QRectF bar(0.5, 0.5, 239, 47);
    fill(p, rounded(bar, 5), barBack);
    startGlyph(p, {10, 16}, 16);
    if (grouped) {
        for (int i = 2; i >= 0; --i)
            fill(p, rounded(QRectF(44 + i * 3, 13 - i * 2 + 4, 18, 18), 3), i == 0 ? c::teal : withAlpha(c::teal, 120));
        fill(p, circle({53, 26}, 4), c::white);
        strokeLine(p, {46, 43}, {62, 43}, c::blue, 2);
        appGlyph(p, {80, 16}, 16, 0);
        appGlyph(p, {110, 16}, 16, 2);
    } else {
        for (int i = 0; i < 3; ++i) {
            const qreal x = 38 + i * 66;
            fill(p, rounded(QRectF(x, 9, 60, 30), 4), i == 0 ? c::white : withAlpha(c::white, 150));
            fill(p, circle({x + 12, 24}, 7), c::teal);
            fill(p, circle({x + 13, 25}, 3.5), c::white);
            label(p, x + 23, 21, 30 - i * 4, 5, c::slateLight);
            strokeLine(p, {x + 10, 43}, {x + 50, 43}, i == 0 ? c::blue : c::slateLight, 2);
        }
    }
}

} // namespace

void centerStartMenu(QPainter &p)
{
    taskbarIn(p, QRectF(0.5, 0.5, 319, 47), true, 14);
}

void centerStartMenuSmall(QPainter &p)
{
    taskbarIn(p, QRectF(0.5, 0.5, 319, 39), true, 10);
}

void centerStartMenuLarge(QPainter &p)
{
    taskbarIn(p, QRectF(0.5, 0.5, 319, 55), true, 18);
}

void leftStartMenu(QPainter &p)
{
    taskbarIn(p, QRectF(0.5, 0.5, 319, 47), false, 14);
}

void widgetIcon(QPainter &p)
{
    itemStrip(p, 2);
}

void taskbarItemsChat(QPainter &p)
{
    itemStrip(p, 3);
}

void taskbarItemsSearch(QPainter &p)
{
    itemStrip(p, 0);
}

void taskbarItemsTaskview(QPainter &p)
{
    itemStrip(p, 1);
}

void taskbarPosLeft(QPainter &p)
{
    screenWithTaskbar(p, 0);
}

void taskbarPosTop(QPainter &p)
{
    screenWithTaskbar(p, 1);
}

void taskbarPosRight(QPainter &p)
{
    screenWithTaskbar(p, 2);
}

void taskbarPosBottom(QPainter &p)
{
    screenWithTaskbar(p, 3);
}

void notificationAreaOneRow(QPainter &p)
{
    trayRows(p, 1);
}

void notificationAreaTwoRows(QPainter &p)
{
    trayRows(p, 2);
}

void secondInClock(QPainter &p)
{
    const QRectF bar(0.5, 0.5, 159, 47);
    fill(p, rounded(bar, 5), barBack);
    for (int i = 0; i < 3; ++i)
        fill(p, circle({14.0 + i * 14, 24}, 4), c::slateMid);
    clock(p, {58, 6}, 36, QStringLiteral("10:24:37"));
    ring(p, QRectF(60, 6, 66, 18));
}

void transparentTaskbar(QPainter &p)
{
    // The desktop shows through the taskbar.
    landscape(p, QRectF(0, 0, 320, 48), c::skyLight, c::teal, c::amberLight);
    taskbarIn(p, QRectF(0.5, 8.5, 319, 39), true, 12, withAlpha(barBack, 110));
}

void groupTaskbarIcon(QPainter &p)
{
    grouping(p, true);
}

void ungroupTaskbarIcon(QPainter &p)
{
    grouping(p, false);
}

void openLastApp(QPainter &p)
{
    // Two windows of one program above its button; the click goes to the one used last.
    fill(p, rounded(QRectF(0.5, 0.5, 239, 119), 6), c::skyLight);
    taskbarIn(p, QRectF(0.5, 88.5, 239, 31), true, 11);
    const QRectF older(30, 14, 80, 54), last(130, 14, 80, 54);
    for (const QRectF &w : {older, last}) {
        fill(p, rounded(w, 4), c::white);
        p.fillRect(QRectF(w.left(), w.top(), w.width(), 10), w == last ? c::blue : c::line);
        label(p, w.left() + 8, w.top() + 18, 50, 4, c::slateLight);
        label(p, w.left() + 8, w.top() + 28, 36, 4, c::line);
    }
    ring(p, last.adjusted(-3, -3, 3, 3));
    arrow(p, {120, 96}, {160, 72}, 5, 2, highlight);
}

void thumbnailPreview(QPainter &p)
{
    landscape(p, QRectF(0, 0, 240, 150), c::skyLight, c::teal, c::amberLight);
    taskbarIn(p, QRectF(0.5, 122.5, 239, 27), true, 10);
    // The preview above the hovered button, and the pointer on it.
    const QRectF preview(84, 50, 96, 64);
    fill(p, rounded(preview, 5), withAlpha(c::white, 235));
    fill(p, rounded(preview.adjusted(8, 14, -8, -8), 3), c::mist);
    label(p, preview.left() + 8, preview.top() + 5, 48, 4, c::slateMid);
    fill(p, polygon({{125, 128}, {125, 143}, {129, 139}, {133, 146}, {135, 145}, {131, 138}, {137, 138}}), c::ink);
}

void myTrayIconMenu(QPainter &p)
{
    landscape(p, QRectF(0, 0, 240, 300), c::skyLight, c::teal, c::amberLight);
    // The notification area: the hidden icons' chevron, the helper's rocket (picked out), network, volume, clock.
    const QRectF bar(0.5, 266.5, 239, 33);
    fill(p, rounded(bar, 5), barBack);
    p.setPen(QPen(c::line, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(bar, 5, 5);
    const qreal cy = bar.center().y();
    stroke(p, polyline({{96, cy + 2}, {100, cy - 2}, {104, cy + 2}}), c::slate, 1.3);
    const QRectF icon(116, cy - 8, 16, 16);
    p.save();
    p.translate(icon.topLeft());
    p.scale(icon.width() / 48, icon.height() / 48);
    rocket(p);
    p.restore();
    ring(p, icon.adjusted(-3, -3, 3, 3));
    for (int i = 0; i < 2; ++i)
        fill(p, circle({148.0 + i * 12, cy}, 3), c::slateMid);
    clock(p, {180, cy - 12}, 24, QStringLiteral("10:24"));

    // The helper's popup menu, as it opens above its icon: its own items, a chevron on each submenu.
    const QRectF menu(10.5, 18.5, 196, 238);
    fill(p, rounded(menu.translated(0, 2), 8), withAlpha(c::ink, 35));
    fill(p, rounded(menu, 8), QColor(QRgb(0xF9F9F9)));
    p.setPen(QPen(c::line, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(menu, 8, 8);
    struct Item
    {
        const char *text;
        bool submenu;
        bool separatorAfter;
    };
    const Item items[] = {{"Track Cleaner", true, true},
                          {"Bing Daily Wallpapers", true, true},
                          {"Set App Color mode", true, false},
                          {"Set Windows Color Mode", true, true},
                          {"Set Active Power Scheme", true, true},
                          {"Configuration", false, false},
                          {"Close", false, false}};
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setHintingPreference(QFont::PreferNoHinting);
    p.setFont(font);
    const qreal row = 26, gap = 12;
    qreal top = menu.top() + 4;
    for (const Item &item : items) {
        const QRectF line(menu.left() + 4, top, menu.width() - 8, row);
        // The pointer rests on the wallpaper submenu.
        if (&item == &items[1])
            fill(p, rounded(line, 4), withAlpha(c::slate, 30));
        p.setPen(c::ink);
        p.drawText(line.adjusted(12, 0, -24, 0), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(item.text));
        if (item.submenu) {
            const qreal x = line.right() - 12, y = line.center().y();
            stroke(p, polyline({{x - 2, y - 4}, {x + 2, y}, {x - 2, y + 4}}), c::slate, 1.2);
        }
        top += row;
        if (item.separatorAfter) {
            p.fillRect(QRectF(menu.left() + 1, top + gap / 2 - 0.5, menu.width() - 2, 1), c::mist);
            top += gap;
        }
    }
}

} // namespace draw
