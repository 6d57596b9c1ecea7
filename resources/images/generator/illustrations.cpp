// Setting page illustrations, each drawn in pixels of its size.
#include "drawings.h"
#include "shapes.h"

#include <QtMath>

using namespace art;
namespace c = art::colour;

namespace draw {

// ---- Appearance and Desktop pages ----

namespace {

struct Scheme
{
    QColor frame, title, body, pane, ink, faint, line;
};

Scheme scheme(bool dark)
{
    if (dark)
        return {QColor(QRgb(0x2B2B2B)), QColor(QRgb(0x202020)), QColor(QRgb(0x191919)), QColor(QRgb(0x242424)),
                QColor(QRgb(0xF1F1F1)), QColor(QRgb(0x6B6B6B)), QColor(QRgb(0x3A3A3A))};
    return {c::white, QColor(QRgb(0xF3F3F3)), c::white, QColor(QRgb(0xF7F8FA)), c::ink, c::line, c::mist};
}

// A line of text stood in for by a rounded bar.
void textBar(QPainter &p, qreal x, qreal y, qreal width, qreal height, const QColor &colour)
{
    fill(p, rounded(QRectF(x, y, width, height), height / 2), colour);
}

// Minimise, maximise and close, centred in slots of the given width ending at right.
void captionButtons(QPainter &p, qreal right, qreal centreY, qreal slot, const QColor &colour, qreal pen)
{
    const qreal g = slot * 0.16;
    const qreal close = right - slot / 2, restore = close - slot, minimise = restore - slot;
    strokeLine(p, {minimise - g, centreY}, {minimise + g, centreY}, colour, pen);
    p.setPen(QPen(colour, pen));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(restore - g, centreY - g, 2 * g, 2 * g));
    strokeLine(p, {close - g, centreY - g}, {close + g, centreY + g}, colour, pen);
    strokeLine(p, {close - g, centreY + g}, {close + g, centreY - g}, colour, pen);
}

// A two-headed measuring arrow from a to b.
void measure(QPainter &p, QPointF a, QPointF b, const QColor &colour, qreal width, qreal head)
{
    const QPointF mid = (a + b) / 2;
    arrow(p, mid, a, head, width, colour);
    arrow(p, mid, b, head, width, colour);
}

// The four panes of the start button.
void startButton(QPainter &p, QPointF topLeft, qreal pane, const QColor &colour)
{
    const qreal gap = pane * 0.18;
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 2; ++col)
            fill(p, rounded(QRectF(topLeft.x() + col * (pane + gap), topLeft.y() + row * (pane + gap), pane, pane), 1),
                 colour);
}

void taskbar(QPainter &p, bool dark)
{
    const QRectF bar(0.5, 0.5, 319, 47);
    const QColor back = dark ? QColor(QRgb(0x1C2028)) : QColor(QRgb(0xEEF1F6));
    const QColor edge = dark ? QColor(QRgb(0x343A46)) : c::line;
    const QColor glyph = dark ? QColor(QRgb(0xE5E7EB)) : c::slate;
    fill(p, rounded(bar, 6), back);
    p.setPen(QPen(edge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(bar, 6, 6);

    const qreal cy = 24;
    startButton(p, {108, cy - 8}, 7.2, dark ? c::blueLight : c::blue);
    // The search box.
    const QRectF search(128, cy - 8, 48, 16);
    fill(p, rounded(search, 8), dark ? QColor(QRgb(0x2F3542)) : c::white);
    if (!dark) {
        p.setPen(QPen(c::line, 1));
        p.drawRoundedRect(search, 8, 8);
    }
    stroke(p, circle({136, cy - 1}, 3), glyph, 1.3);
    strokeLine(p, {138.3, cy + 1.3}, {140.5, cy + 3.5}, glyph, 1.3);
    textBar(p, 144, cy - 1.5, 24, 3, dark ? QColor(QRgb(0x6B7280)) : c::slateLight);
    // Pinned apps: File Explorer, a browser, a store bag; the open one is underlined.
    folder(p, QRectF(184, cy - 7, 17, 13));
    strokeLine(p, {187, cy + 10}, {198, cy + 10}, dark ? c::blueLight : c::blue, 2.2);
    fill(p, circle({218, cy - 0.5}, 7.5), c::teal);
    fill(p, circle({219.5, cy + 1}, 4.2), dark ? back : c::white);
    fill(p, rounded(QRectF(233, cy - 5, 15, 12), 2), c::purple);
    stroke(p, polyline({{237, cy - 5}, {237, cy - 8}, {244, cy - 8}, {244, cy - 5}}), c::purple, 1.4);
    // The notification area and the clock.
    stroke(p, polyline({{262, cy + 1}, {265, cy - 2}, {268, cy + 1}}), glyph, 1.3);
    for (int i = 0; i < 3; ++i) {
        QPainterPath arc;
        const qreal r = 2.5 + i * 2.5;
        arc.arcMoveTo(QRectF(279 - r, cy + 3 - r, 2 * r, 2 * r), 45);
        arc.arcTo(QRectF(279 - r, cy + 3 - r, 2 * r, 2 * r), 45, 90);
        stroke(p, arc, glyph, 1.3);
    }
    textBar(p, 290, cy - 6, 22, 4, glyph);
    textBar(p, 290, cy + 2, 22, 4, withAlpha(glyph, 150));
}

void explorer(QPainter &p, bool dark)
{
    const Scheme s = scheme(dark);
    const QRectF window(0.5, 0.5, 199, 129);
    fill(p, rounded(window, 6), s.body);
    p.save();
    p.setClipPath(rounded(window, 6));
    p.fillRect(QRectF(0, 0, 200, 18), s.title);
    folder(p, QRectF(6, 4.5, 11, 9));
    textBar(p, 21, 7.5, 36, 3, s.faint);
    captionButtons(p, 199.5, 9, 15, s.ink, 1);
    // The command bar.
    p.fillRect(QRectF(0, 18, 200, 16), s.title);
    for (int i = 0; i < 5; ++i)
        fill(p, rounded(QRectF(8 + i * 14, 22, 8, 8), 1.5), i == 0 ? c::blue : s.faint);
    p.fillRect(QRectF(0, 34, 200, 1), s.line);
    // Navigation pane and the folders of the view.
    p.fillRect(QRectF(0, 35, 52, 95), s.pane);
    p.fillRect(QRectF(52, 35, 1, 95), s.line);
    for (int i = 0; i < 6; ++i) {
        const qreal y = 42 + i * 13;
        folder(p, QRectF(7, y, 9, 7.5));
        textBar(p, 19, y + 2.5, 22 + (i % 3) * 5, 2.6, i == 1 ? c::blue : s.faint);
    }
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col) {
            const qreal x = 64 + col * 33, y = 44 + row * 40;
            folder(p, QRectF(x, y, 22, 17));
            textBar(p, x + 1, y + 22, 20, 2.6, s.faint);
        }
    p.restore();
    p.setPen(QPen(dark ? QColor(QRgb(0x3F3F3F)) : c::line, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(window, 6, 6);
}

} // namespace

void taskbarLight(QPainter &p)
{
    taskbar(p, false);
}

void taskbarDark(QPainter &p)
{
    taskbar(p, true);
}

void explorerLight(QPainter &p)
{
    explorer(p, false);
}

void explorerDark(QPainter &p)
{
    explorer(p, true);
}

void edgeTitlebar(QPainter &p)
{
    // A browser window whose title bar takes the accent colour.
    const QRectF window(0.5, 0.5, 319, 59);
    const QColor accent = c::blueDark;
    fill(p, rounded(window, 6), c::white);
    p.save();
    p.setClipPath(rounded(window, 6));
    p.fillRect(QRectF(0, 0, 320, 26), accent);
    // The current tab stands out of the title bar; a second tab sits in it.
    fill(p, rounded(QRectF(8, 5, 96, 26), 6), c::white);
    fill(p, circle({19, 15}, 4.5), c::teal);
    textBar(p, 28, 13.5, 56, 3, c::slateLight);
    strokeLine(p, {93, 12.5}, {97, 16.5}, c::slate, 1.1);
    strokeLine(p, {93, 16.5}, {97, 12.5}, c::slate, 1.1);
    fill(p, circle({117, 15}, 4.5), withAlpha(c::white, 170));
    textBar(p, 126, 13.5, 50, 3, withAlpha(c::white, 150));
    plus(p, {192, 15}, 4, 1.3, withAlpha(c::white, 220));
    captionButtons(p, 319.5, 13, 22, c::white, 1.2);
    // The address bar.
    p.fillRect(QRectF(0, 31, 320, 29), c::white);
    arrow(p, {22, 45}, {12, 45}, 3.5, 1.4, c::slate);
    circularArrow(p, {36, 45}, 4.5, 90, 280, 1.4, 2.5, c::slate);
    fill(p, rounded(QRectF(50, 37, 230, 16), 8), c::mist);
    textBar(p, 62, 43.5, 90, 3, c::slateLight);
    for (int i = 0; i < 3; ++i)
        fill(p, circle({292 + i * 9.0, 45}, 1.4), c::slate);
    p.restore();
    p.setPen(QPen(c::line, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(window, 6, 6);
}

void explorerTitlebarHeight(QPainter &p)
{
    // A window with its title bar measured on the left.
    const QRectF window(60.5, 8.5, 250, 70);
    const qreal titleBottom = 36;
    fill(p, rounded(window, 5), c::white);
    p.save();
    p.setClipPath(rounded(window, 5));
    p.fillRect(QRectF(60, 8, 252, titleBottom - 8), QColor(QRgb(0xF3F3F3)));
    folder(p, QRectF(70, 16.5, 13, 10.5));
    textBar(p, 89, 20.5, 60, 3, c::slateLight);
    captionButtons(p, 310.5, 22, 24, c::ink, 1.1);
    p.fillRect(QRectF(60, titleBottom, 252, 1), c::mist);
    for (int i = 0; i < 3; ++i)
        textBar(p, 74, 46 + i * 9, 160 - i * 30, 3, c::line);
    p.restore();
    p.setPen(QPen(c::line, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(window, 5, 5);

    // Guides from the title bar's edges to the measure.
    QPen guide(c::amber, 1, Qt::DashLine);
    p.setPen(guide);
    p.drawLine(QPointF(28, 8.5), QPointF(60, 8.5));
    p.drawLine(QPointF(28, titleBottom + 0.5), QPointF(60, titleBottom + 0.5));
    measure(p, {36, 10}, {36, titleBottom - 1}, c::orange, 1.6, 4);
}

void desktopIconPos(QPainter &p)
{
    const QRectF screen(0.5, 0.5, 159, 119);
    QLinearGradient sky(0, 0, 0, 120);
    sky.setColorAt(0, c::sky);
    sky.setColorAt(1, c::blueDark);
    p.fillPath(rounded(screen, 6), sky);
    // Two columns of three icons, each with its name under it.
    const qreal left = 16, top = 12, across = 46, down = 36;
    for (int col = 0; col < 2; ++col)
        for (int row = 0; row < 3; ++row) {
            const qreal x = left + col * across, y = top + row * down;
            if ((col + row) % 2 == 0)
                folder(p, QRectF(x, y, 20, 16));
            else
                page(p, QRectF(x + 3, y - 1, 14, 18), 4, c::white, QColor(), 0);
            textBar(p, x - 1, y + 20, 22, 3, withAlpha(c::white, 210));
        }
    // The two spacings the page sets.
    measure(p, {left + 10, 5}, {left + across + 10, 5}, c::amberLight, 1.5, 3.5);
    measure(p, {left + 2 * across + 6, top + 8}, {left + 2 * across + 6, top + down + 8}, c::amberLight, 1.5, 3.5);
    p.setPen(QPen(withAlpha(c::white, 140), 1, Qt::DashLine));
    p.drawLine(QPointF(left + 2 * across - 2, top + 8), QPointF(left + across + 22, top + 8));
    p.drawLine(QPointF(left + 2 * across - 2, top + down + 8), QPointF(left + across + 22, top + down + 8));
}

void winverDesktop(QPainter &p)
{
    const QRectF screen(0, 0, 240, 150);
    p.save();
    p.setClipPath(rounded(screen.adjusted(0.5, 0.5, -0.5, -0.5), 6));
    landscape(p, QRectF(0, 0, 240, 134), c::skyLight, c::teal, c::amberLight);
    p.fillRect(QRectF(0, 134, 240, 16), QColor(QRgb(0xEEF1F6)));
    startButton(p, {101, 137}, 4.6, c::blue);
    folder(p, QRectF(115, 137.5, 11, 9));
    fill(p, circle({135, 142}, 4.5), c::teal);
    // The version and build number, bottom right above the taskbar.
    const QColor text = withAlpha(c::white, 235);
    textBar(p, 150, 104, 82, 3.5, text);
    textBar(p, 166, 111, 66, 3.5, text);
    textBar(p, 134, 118, 98, 3.5, text);
    p.setPen(QPen(c::orange, 1.2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(129, 99, 107, 27), 4, 4);
    p.restore();
}

// ---- File Explorer pages ----

namespace {

// A 24 unit glyph drawn at (x, y) with the given side.
void glyph(QPainter &p, void (*fn)(QPainter &), qreal x, qreal y, qreal side)
{
    p.save();
    p.translate(x, y);
    p.scale(side / 24, side / 24);
    fn(p);
    p.restore();
}

// A window frame with a title strip; returns the area below the strip. Clipping stays on until restore.
QRectF window(QPainter &p, const QRectF &frame, qreal strip)
{
    fill(p, rounded(frame, 5), c::white);
    p.save();
    p.setClipPath(rounded(frame, 5));
    p.fillRect(QRectF(frame.left(), frame.top(), frame.width(), strip), QColor(QRgb(0xF3F3F3)));
    folder(p, QRectF(frame.left() + 7, frame.top() + strip / 2 - 4.5, 11, 9));
    textBar(p, frame.left() + 22, frame.top() + strip / 2 - 1.5, 40, 3, c::slateLight);
    captionButtons(p, frame.right(), frame.top() + strip / 2, strip, c::ink, 1);
    return QRectF(frame.left(), frame.top() + strip, frame.width(), frame.height() - strip);
}

void closeWindow(QPainter &p, const QRectF &frame)
{
    p.restore();
    p.setPen(QPen(c::line, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(frame, 5, 5);
}

// A section heading of This PC: a chevron and a text bar.
void heading(QPainter &p, qreal x, qreal y, qreal width)
{
    stroke(p, polyline({{x, y - 2}, {x + 3, y + 1}, {x + 6, y - 2}}), c::slate, 1.2);
    textBar(p, x + 11, y - 2, width, 3.5, c::slateMid);
}

// A drive: a slim box with a light, its name and a usage bar filled to the given share.
void drive(QPainter &p, qreal x, qreal y, qreal share, bool system, const QColor &bar)
{
    fill(p, rounded(QRectF(x, y + 3, 20, 10), 2), c::slateLight);
    fill(p, rounded(QRectF(x, y + 3, 20, 4), 2), c::mist);
    fill(p, circle({x + 16, y + 10}, 1.2), c::green);
    if (system)
        startButton(p, {x + 4, y - 2}, 3.4, c::blue);
    textBar(p, x + 26, y, 44, 3, c::slateMid);
    fill(p, rounded(QRectF(x + 26, y + 7, 60, 5), 1), c::mist);
    fill(p, rounded(QRectF(x + 26, y + 7, 60 * share, 5), 1), bar);
    textBar(p, x + 26, y + 15, 36, 2.4, c::line);
}

} // namespace

// ---- OEM Info pages ----

namespace {

// A Settings window: title, the navigation list on the left with the System entry marked, and the page's
// heading. Returns the area of the page's content.
QRectF settingsWindow(QPainter &p)
{
    const QRectF window(0.5, 0.5, 239, 149);
    fill(p, rounded(window, 6), QColor(QRgb(0xF3F3F3)));
    p.save();
    p.setClipPath(rounded(window, 6));
    textBar(p, 8, 7, 28, 3, c::slateLight);
    captionButtons(p, 239.5, 8.5, 15, c::ink, 1);
    // The user and the navigation list.
    fill(p, circle({16, 28}, 6), c::blueLight);
    textBar(p, 26, 25, 30, 3, c::slate);
    textBar(p, 26, 31, 22, 2.4, c::slateLight);
    for (int i = 0; i < 7; ++i) {
        const qreal y = 46 + i * 13;
        if (i == 0) {
            fill(p, rounded(QRectF(6, y - 5, 56, 12), 3), c::mist);
            fill(p, rounded(QRectF(6, y - 3, 2, 8), 1), c::blue);
        }
        fill(p, rounded(QRectF(12, y - 2, 6, 6), 1.5), i == 0 ? c::blue : c::slateLight);
        textBar(p, 22, y, 24 + (i % 3) * 6, 2.6, i == 0 ? c::ink : c::slateMid);
    }
    p.restore();
    p.setPen(QPen(c::line, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(window, 6, 6);
    return QRectF(70, 16, 162, 128);
}

// A white card of the Settings page.
void card(QPainter &p, const QRectF &r)
{
    fill(p, rounded(r, 3), c::white);
    p.setPen(QPen(c::mist, 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 3, 3);
}

// What the page writes, marked as the Desktop page marks the version text.
void mark(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(c::orange, 1.2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 3, 3);
}

} // namespace

void explorerToolbarNew(QPainter &p)
{
    // The command bar: New, the clipboard and file commands as glyphs, then Sort, View and more.
    const QRectF frame(0.5, 0.5, 399, 59);
    const QRectF below = window(p, frame, 20);
    const qreal y = below.top() + 20;
    fill(p, rounded(QRectF(8, y - 10, 46, 20), 4), c::mist);
    plus(p, {18, y}, 4.5, 1.6, c::blue);
    textBar(p, 27, y - 1.5, 20, 3, c::ink);
    p.fillRect(QRectF(62, y - 9, 1, 18), c::line);
    // Cut, copy, paste, rename, share, delete.
    const qreal step = 26;
    qreal x = 76;
    stroke(p, circle({x - 3, y + 4}, 2.6), c::slate, 1.2);
    stroke(p, circle({x + 3, y + 4}, 2.6), c::slate, 1.2);
    strokeLine(p, {x - 1.5, y + 2}, {x + 4, y - 7}, c::slate, 1.2);
    strokeLine(p, {x + 1.5, y + 2}, {x - 4, y - 7}, c::slate, 1.2);
    x += step;
    page(p, QRectF(x - 6, y - 7, 9, 11), 2.5, c::white, c::slate, 1.1);
    page(p, QRectF(x - 2, y - 4, 9, 11), 2.5, c::white, c::slate, 1.1);
    x += step;
    fill(p, rounded(QRectF(x - 6, y - 6, 12, 14), 1.5), c::folderBack);
    fill(p, rounded(QRectF(x - 3, y - 8, 6, 4), 1), c::slate);
    page(p, QRectF(x - 3, y - 2, 8, 9), 2, c::white, QColor(), 0);
    x += step;
    p.setPen(QPen(c::slate, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(x - 7, y - 4, 14, 8), 1.5, 1.5);
    strokeLine(p, {x + 2, y - 7}, {x + 2, y + 7}, c::slate, 1.2);
    x += step;
    stroke(p, polyline({{x - 6, y + 1}, {x - 6, y + 7}, {x + 6, y + 7}, {x + 6, y + 1}}), c::slate, 1.2);
    arrow(p, {x, y + 3}, {x, y - 7}, 3, 1.2, c::slate);
    x += step;
    stroke(p, polyline({{x - 5, y - 4}, {x - 4, y + 7}, {x + 4, y + 7}, {x + 5, y - 4}}), c::slate, 1.2);
    strokeLine(p, {x - 7, y - 5}, {x + 7, y - 5}, c::slate, 1.2);
    p.fillRect(QRectF(x + 16, y - 9, 1, 18), c::line);
    // Sort and View, each a glyph, a word and a drop-down mark.
    for (int i = 0; i < 2; ++i) {
        const qreal sx = x + 30 + i * 62;
        for (int l = 0; l < 3; ++l)
            strokeLine(p, {sx, y - 4 + l * 4}, {sx + 10 - l * 3, y - 4 + l * 4}, c::slate, 1.2);
        textBar(p, sx + 15, y - 1.5, 22, 3, c::ink);
        stroke(p, polyline({{sx + 42, y - 1}, {sx + 44.5, y + 1.5}, {sx + 47, y - 1}}), c::slate, 1.1);
    }
    for (int i = 0; i < 3; ++i)
        fill(p, circle({x + 166 + i * 5.0, y}, 1.3), c::slate);
    closeWindow(p, frame);
}

void explorerToolbarOld(QPainter &p)
{
    // The ribbon: its tabs, then groups of big and small buttons with their names below.
    const QRectF frame(0.5, 0.5, 399, 59);
    const QRectF below = window(p, frame, 14);
    const qreal tabs = below.top();
    fill(p, rounded(QRectF(4, tabs + 1, 26, 11), 1.5), c::blue);
    textBar(p, 10, tabs + 5, 14, 2.6, c::white);
    for (int i = 0; i < 3; ++i)
        textBar(p, 40 + i * 32, tabs + 5, 20, 2.6, i == 0 ? c::ink : c::slateMid);
    const qreal top = tabs + 13;
    p.fillRect(QRectF(0, top, 400, 1), c::line);
    p.fillRect(QRectF(0, top + 1, 400, 60 - top), QColor(QRgb(0xF8FAFC)));
    const QList<qreal> groups = {0, 92, 186, 272, 340};
    const QList<int> bigButtons = {3, 2, 2, 1};
    for (int g = 0; g + 1 < groups.size(); ++g) {
        const qreal left = groups.at(g) + 6;
        for (int b = 0; b < bigButtons.at(g); ++b) {
            const qreal x = left + b * 22;
            if ((b + g) % 2 == 0)
                folder(p, QRectF(x + 3, top + 3, 14, 11));
            else
                page(p, QRectF(x + 5, top + 2, 10, 13), 3, c::white, c::slate, 1);
            textBar(p, x + 2, top + 18, 16, 2.4, c::slateMid);
        }
        // Two rows of small buttons beside the big ones, and the group's name under all.
        const qreal sx = left + bigButtons.at(g) * 22 + 4;
        const qreal room = groups.at(g + 1) - sx - 6;
        for (int row = 0; row < 2; ++row) {
            fill(p, rounded(QRectF(sx, top + 3 + row * 8, 5.5, 5.5), 1), row == 0 ? c::teal : c::amber);
            textBar(p, sx + 9, top + 4.5 + row * 8, qMax<qreal>(room - 12, 8), 2.4, c::slateLight);
        }
        textBar(p, groups.at(g) + (groups.at(g + 1) - groups.at(g)) / 2 - 12, top + 26, 24, 2.2, c::slateLight);
        p.fillRect(QRectF(groups.at(g + 1) - 1, top + 3, 1, 26), c::line);
    }
    closeWindow(p, frame);
}

void navigationPane(QPainter &p)
{
    // The pane with its entries; the three the page switches are marked.
    const QRectF frame(0.5, 0.5, 179, 199);
    const QRectF below = window(p, frame, 20);
    p.fillRect(below, QColor(QRgb(0xF7F8FA)));
    struct Entry
    {
        void (*icon)(QPainter &);
        qreal indent;
        qreal width;
        bool switched;
    };
    const QList<Entry> entries = {
        {home24, 0, 30, true},        {quickAccess24, 0, 62, true}, {desktop24, 12, 40, false},
        {downloads24, 12, 48, false}, {oneDrive24, 0, 44, true},    {computer24, 0, 38, false},
        {documents24, 12, 52, false}, {pictures24, 12, 44, false},  {network24, 0, 46, true},
    };
    qreal y = below.top() + 8;
    for (const Entry &e : entries) {
        const qreal x = 10 + e.indent;
        glyph(p, e.icon, x, y, 14);
        textBar(p, x + 20, y + 5.5, e.width, 3, c::slateMid);
        if (e.switched) {
            p.setPen(QPen(c::orange, 1, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(x - 4, y - 3, 150 - e.indent, 20), 3, 3);
        }
        y += 19;
    }
    closeWindow(p, frame);
}

void myComputerIcons(QPainter &p)
{
    // This PC: the user folders, then the drives.
    const QRectF frame(0.5, 0.5, 219, 149);
    const QRectF below = window(p, frame, 18);
    heading(p, 10, below.top() + 10, 48);
    void (*const folders[])(QPainter &) = {objects3d24, desktop24,  documents24, downloads24,
                                           music24,     pictures24, videos24};
    for (int i = 0; i < 7; ++i) {
        const qreal x = 10 + (i % 4) * 52, y = below.top() + 20 + (i / 4) * 38;
        glyph(p, folders[i], x, y, 20);
        textBar(p, x + 24, y + 6, 20, 3, c::slateMid);
        textBar(p, x + 24, y + 12, 14, 2.4, c::line);
    }
    heading(p, 10, below.top() + 104, 60);
    drive(p, 12, below.top() + 112, 0.55, true, c::blue);
    closeWindow(p, frame);
}

void myComputerDevices(QPainter &p)
{
    // The Devices and drives section, with the three entries the page adds.
    const QRectF frame(0.5, 0.5, 219, 149);
    const QRectF below = window(p, frame, 18);
    heading(p, 10, below.top() + 10, 70);
    drive(p, 12, below.top() + 20, 0.55, true, c::blue);
    drive(p, 118, below.top() + 20, 0.3, false, c::blue);
    void (*const entries[])(QPainter &) = {controlPanel24, controlPanel24, recycleBin24};
    const qreal widths[] = {58, 40, 36};
    for (int i = 0; i < 3; ++i) {
        const qreal x = 10 + (i % 2) * 106, y = below.top() + 56 + (i / 2) * 30;
        p.setPen(QPen(c::orange, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(x - 3, y - 3, 98, 28), 3, 3);
        glyph(p, entries[i], x, y, 22);
        textBar(p, x + 28, y + 9, widths[i], 3, c::slateMid);
    }
    closeWindow(p, frame);
}

void myComputerDrives(QPainter &p)
{
    // Four drives; the last one hidden from This PC.
    const QRectF frame(0.5, 0.5, 219, 149);
    const QRectF below = window(p, frame, 18);
    heading(p, 10, below.top() + 10, 70);
    const qreal share[] = {0.62, 0.35, 0.8, 0.2};
    for (int i = 0; i < 4; ++i) {
        const qreal x = 12 + (i % 2) * 104, y = below.top() + 22 + (i / 2) * 48;
        drive(p, x, y, share[i], i == 0, share[i] > 0.75 ? c::red : c::blue);
        if (i == 3) {
            fill(p, rounded(QRectF(x - 4, y - 5, 98, 30), 3), withAlpha(c::white, 170));
            badge(p, {x + 88, y + 18}, 6, c::red, c::white, 1.5);
            cross(p, {x + 88, y + 18}, 2.5, 1.4, c::white);
        }
    }
    closeWindow(p, frame);
}

void systemAboutPage(QPainter &p)
{
    const QRectF page = settingsWindow(p);
    textBar(p, page.left(), page.top() + 2, 60, 5, c::ink); // "System > About"
    // The device's specifications.
    card(p, QRectF(page.left(), page.top() + 14, page.width(), 34));
    for (int i = 0; i < 3; ++i) {
        textBar(p, page.left() + 6, page.top() + 21 + i * 9, 34, 2.6, c::slateMid);
        textBar(p, page.left() + 58, page.top() + 21 + i * 9, 60 - i * 10, 2.6, c::ink);
    }
    // The support section: maker, phone, hours and web site.
    const QRectF support(page.left(), page.top() + 54, page.width(), 64);
    card(p, support);
    fill(p, rounded(QRectF(support.left() + 6, support.top() + 5, 8, 8), 2), c::blue);
    textBar(p, support.left() + 18, support.top() + 7.5, 36, 3, c::ink);
    for (int i = 0; i < 4; ++i) {
        const qreal y = support.top() + 22 + i * 10;
        textBar(p, support.left() + 6, y, 32, 2.6, c::slateMid);
        textBar(p, support.left() + 58, y, i == 3 ? 70 : 52 - i * 6, 2.6, i == 3 ? c::blue : c::ink);
    }
    mark(p, support.adjusted(2, 16, -2, -4));
}

void systemPage(QPainter &p)
{
    const QRectF page = settingsWindow(p);
    // The device: a monitor, its name and under it the model.
    const QRectF device(page.left(), page.top() + 2, page.width(), 40);
    fill(p, rounded(QRectF(device.left() + 2, device.top() + 6, 40, 26), 3), c::blueLight);
    landscape(p, QRectF(device.left() + 4, device.top() + 8, 36, 22), c::skyLight, c::teal, c::amberLight);
    textBar(p, device.left() + 50, device.top() + 10, 50, 4.5, c::ink);
    textBar(p, device.left() + 50, device.top() + 21, 64, 3, c::slateMid);
    mark(p, QRectF(device.left() + 46, device.top() + 16, 74, 12));
    // The page's first entries.
    for (int i = 0; i < 4; ++i) {
        const QRectF entry(page.left(), page.top() + 50 + i * 19, page.width(), 16);
        card(p, entry);
        fill(p, rounded(QRectF(entry.left() + 6, entry.top() + 4, 8, 8), 2), c::slateLight);
        textBar(p, entry.left() + 20, entry.top() + 6.5, 40 + (i % 2) * 14, 2.8, c::ink);
    }
}

void aboutWindows(QPainter &p)
{
    // The About Windows dialog: the product's banner, its version lines and the licence holders.
    const QRectF window(0.5, 0.5, 239, 149);
    fill(p, rounded(window, 6), c::white);
    p.save();
    p.setClipPath(rounded(window, 6));
    p.fillRect(QRectF(0, 0, 240, 18), QColor(QRgb(0xF3F3F3)));
    fill(p, rounded(QRectF(6, 5, 8, 8), 1.5), c::blue);
    textBar(p, 18, 7.5, 40, 3, c::slate);
    captionButtons(p, 239.5, 9, 15, c::ink, 1);
    startButton(p, {70, 26}, 9, c::blue);
    textBar(p, 94, 31, 76, 7, c::ink);
    p.fillRect(QRectF(14, 52, 212, 1), c::mist);
    for (int i = 0; i < 3; ++i)
        textBar(p, 14, 60 + i * 8, 150 - i * 40, 2.6, c::slateMid);
    textBar(p, 14, 88, 190, 2.6, c::slateLight);
    // The registered owner and organization, where the page puts them.
    textBar(p, 26, 104, 56, 3.2, c::ink);
    textBar(p, 26, 112, 80, 3.2, c::ink);
    mark(p, QRectF(20, 99, 96, 20));
    fill(p, rounded(QRectF(182, 128, 46, 14), 3), c::blue);
    textBar(p, 197, 133.5, 16, 3, c::white);
    p.restore();
    p.setPen(QPen(c::line, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(window, 6, 6);
}

// ---- Others and System pages ----

namespace {

// A screen of the given size with rounded corners, filled, clipped to for what follows (restore after).
void screen(QPainter &p, const QRectF &r, const QColor &colour)
{
    p.save();
    p.setClipPath(rounded(r.adjusted(0.5, 0.5, -0.5, -0.5), 6));
    p.fillRect(r, colour);
}

// A ring of dots around c, fading along the ring, as Windows shows while it starts.
void dotRing(QPainter &p, QPointF c, qreal radius, int dots, qreal dot, const QColor &colour)
{
    for (int i = 0; i < dots; ++i) {
        const qreal a = qDegreesToRadians(-90.0 + 360.0 * i / dots);
        fill(p, circle(c + QPointF(radius * qCos(a), radius * qSin(a)), dot),
             withAlpha(colour, 60 + 195 * (dots - i) / dots));
    }
}

// A menu of rows, each an icon square and a bar of text; separators after the given rows.
void menuRows(QPainter &p, qreal x, qreal y, qreal width, int rows, qreal step, const QList<int> &separators,
              bool icons)
{
    for (int i = 0; i < rows; ++i) {
        const qreal top = y + i * step;
        if (icons)
            fill(p, rounded(QRectF(x, top, 7, 7), 1.5), i % 3 == 0 ? c::blue : c::slateMid);
        textBar(p, x + (icons ? 12 : 0), top + 2, width * (0.45 + 0.08 * ((i * 5) % 4)), 3, c::slate);
        if (separators.contains(i))
            p.fillRect(QRectF(x - 4, top + step - 3, width + 8, 1), c::line);
    }
}

} // namespace

void snapAssist(QPainter &p)
{
    screen(p, QRectF(0, 0, 240, 150), c::skyLight);
    // A window whose maximise button shows the layouts under it.
    fill(p, rounded(QRectF(14, 12, 200, 120), 5), c::white);
    p.fillRect(QRectF(14, 12, 200, 20), QColor(QRgb(0xF3F3F3)));
    textBar(p, 24, 20, 50, 3, c::slateLight);
    captionButtons(p, 214, 22, 22, c::ink, 1.1);
    fill(p, rounded(QRectF(159, 14, 18, 16), 3), withAlpha(c::blue, 60));
    const QRectF flyout(96, 34, 112, 54);
    fill(p, rounded(flyout.translated(0, 2), 6), withAlpha(c::ink, 40));
    fill(p, rounded(flyout, 6), QColor(QRgb(0xF9F9F9)));
    // Four layouts, two by two; the first half highlighted.
    const QList<QList<QRectF>> layouts = {
        {QRectF(0, 0, 0.5, 1), QRectF(0.5, 0, 0.5, 1)},
        {QRectF(0, 0, 0.66, 1), QRectF(0.66, 0, 0.34, 1)},
        {QRectF(0, 0, 0.33, 1), QRectF(0.33, 0, 0.34, 1), QRectF(0.67, 0, 0.33, 1)},
        {QRectF(0, 0, 0.5, 1), QRectF(0.5, 0, 0.5, 0.5), QRectF(0.5, 0.5, 0.5, 0.5)},
    };
    for (int i = 0; i < layouts.size(); ++i) {
        const QRectF cell(flyout.x() + 8 + (i % 2) * 52, flyout.y() + 7 + (i / 2) * 23, 46, 18);
        for (int j = 0; j < layouts.at(i).size(); ++j) {
            const QRectF part = layouts.at(i).at(j);
            const QRectF r(cell.x() + part.x() * cell.width(), cell.y() + part.y() * cell.height(),
                           part.width() * cell.width(), part.height() * cell.height());
            fill(p, rounded(r.adjusted(1, 1, -1, -1), 2), i == 0 && j == 0 ? c::blue : c::line);
        }
    }
    for (int i = 0; i < 4; ++i)
        textBar(p, 28, 50 + i * 12, 54 - i * 8, 3, c::mist);
    p.restore();
}

void contextMenuNew(QPainter &p)
{
    const QRectF menu(8.5, 8.5, 143, 163);
    fill(p, rounded(menu.translated(0, 2), 8), withAlpha(c::ink, 35));
    fill(p, rounded(menu, 8), QColor(QRgb(0xF9F9F9)));
    // The row of icon buttons (cut, copy, rename, share, delete) on top.
    for (int i = 0; i < 5; ++i)
        fill(p, rounded(QRectF(20 + i * 25, 18, 12, 12), 2.5), i == 4 ? c::slate : c::blueDark);
    p.fillRect(QRectF(14, 38, 132, 1), c::line);
    menuRows(p, 20, 48, 110, 6, 18, {3}, true);
    p.fillRect(QRectF(14, 157, 132, 1), c::line);
    textBar(p, 32, 162, 70, 3, c::slateMid);
}

void contextMenuOld(QPainter &p)
{
    const QRectF menu(8.5, 8.5, 143, 163);
    p.fillRect(menu.translated(2, 2), withAlpha(c::ink, 40));
    p.fillRect(menu, c::white);
    p.setPen(QPen(c::slateLight, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(menu);
    // The long classic list with its separators.
    menuRows(p, 18, 15, 110, 12, 13, {1, 4, 8, 10}, false);
}

void bingSearchStartMenu(QPainter &p)
{
    screen(p, QRectF(0, 0, 240, 150), c::blueDark);
    const QRectF panel(20, 10, 200, 132);
    fill(p, rounded(panel, 7), QColor(QRgb(0xF3F3F3)));
    // The search box, then local results on the left and the web's on the right.
    fill(p, rounded(QRectF(30, 18, 180, 14), 7), c::white);
    stroke(p, circle({40, 25}, 3.2), c::slate, 1.2);
    textBar(p, 48, 23.5, 40, 3, c::ink);
    fill(p, rounded(QRectF(30, 40, 84, 94), 4), c::white);
    for (int i = 0; i < 5; ++i) {
        fill(p, rounded(QRectF(36, 46 + i * 17, 9, 9), 2), i == 0 ? c::blue : c::slateLight);
        textBar(p, 50, 49 + i * 17, 56 - i * 5, 3, c::slate);
    }
    fill(p, rounded(QRectF(120, 40, 90, 94), 4), c::white);
    fill(p, circle({165, 66}, 14), c::teal);
    stroke(p, circle({165, 66}, 14), c::white, 1.2);
    strokeLine(p, {151, 66}, {179, 66}, c::white, 1);
    p.setPen(QPen(c::white, 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(165, 66), 6, 14);
    for (int i = 0; i < 4; ++i)
        textBar(p, 128, 90 + i * 10, 74 - i * 10, 3, c::slateMid);
    p.restore();
}

void cortanaDisable(QPainter &p)
{
    screen(p, QRectF(0, 0, 240, 150), QColor(QRgb(0x1F2A44)));
    // The assistant's ring, and its search box on the taskbar.
    const QPointF c(120, 62);
    stroke(p, circle(c, 30), c::skyLight, 7);
    stroke(p, circle(c, 30), c::white, 1.5);
    textBar(p, 80, 104, 80, 4, withAlpha(c::white, 200));
    p.fillRect(QRectF(0, 130, 240, 20), QColor(QRgb(0xEEF1F6)));
    startButton(p, {8, 135}, 4.6, c::blue);
    fill(p, rounded(QRectF(24, 133, 90, 14), 7), c::white);
    stroke(p, circle({33, 140}, 3.6), c::sky, 1.6);
    textBar(p, 42, 138.5, 50, 3, c::slateLight);
    p.restore();
}

namespace {

void bootScreen(QPainter &p, bool newAnimation)
{
    screen(p, QRectF(0, 0, 160, 100), QColor(QRgb(0x000000)));
    startButton(p, {65, 18}, 13, c::blue);
    if (newAnimation) {
        // The newer animation: one arc that runs round.
        p.setPen(QPen(c::white, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(71, 66, 18, 18), 90 * 16, 250 * 16);
    } else {
        dotRing(p, {80, 75}, 9, 6, 1.6, c::white);
    }
    p.restore();
}

} // namespace

void bootAnimNew(QPainter &p)
{
    bootScreen(p, true);
}

void bootAnimOld(QPainter &p)
{
    bootScreen(p, false);
}

void verboseMode(QPainter &p)
{
    screen(p, QRectF(0, 0, 240, 150), c::blueDark);
    // The spinner with the detailed status beside it.
    dotRing(p, {74, 75}, 9, 6, 1.7, c::white);
    textBar(p, 94, 68, 92, 4, withAlpha(c::white, 235));
    textBar(p, 94, 78, 64, 4, withAlpha(c::white, 170));
    p.restore();
}

void lockScreen(QPainter &p)
{
    screen(p, QRectF(0, 0, 240, 150), c::sky);
    landscape(p, QRectF(0, 0, 240, 150), c::skyLight, c::teal, c::amberLight);
    // The time, large, and the date under it.
    const QColor text = withAlpha(c::white, 240);
    for (int i = 0; i < 4; ++i)
        fill(p, rounded(QRectF(84 + i * 19 + (i > 1 ? 6 : 0), 26, 14, 24), 3), text);
    fill(p, circle({123, 33}, 1.6), text);
    fill(p, circle({123, 43}, 1.6), text);
    textBar(p, 92, 58, 62, 4, text);
    // Notifications at the foot.
    for (int i = 0; i < 3; ++i)
        fill(p, rounded(QRectF(96 + i * 18, 124, 12, 12), 3), withAlpha(c::white, 200));
    p.restore();
}

void logonMessage(QPainter &p)
{
    screen(p, QRectF(0, 0, 240, 150), QColor(QRgb(0x0B3A6E)));
    // The notice: its title, its text and the button that dismisses it.
    textBar(p, 70, 34, 100, 6, c::white);
    for (int i = 0; i < 4; ++i)
        textBar(p, 48, 54 + i * 10, 144 - (i % 2) * 30, 3.5, withAlpha(c::white, 190));
    fill(p, rounded(QRectF(100, 104, 40, 16), 3), withAlpha(c::white, 60));
    stroke(p, rounded(QRectF(100, 104, 40, 16), 3), c::white, 1);
    textBar(p, 113, 110.5, 14, 3, c::white);
    p.restore();
}

void taskManagerDisable(QPainter &p)
{
    screen(p, QRectF(0, 0, 240, 150), QColor(QRgb(0x17407A)));
    // The security options, the last one struck out.
    const int rows = 5;
    for (int i = 0; i < rows; ++i) {
        const bool taskManager = i == rows - 1;
        textBar(p, 84, 30 + i * 18, 60 + (i % 3) * 8, 5, withAlpha(c::white, taskManager ? 110 : 235));
        if (taskManager)
            strokeLine(p, {78, 32.5 + i * 18}, {162, 32.5 + i * 18}, c::redLight, 2);
    }
    fill(p, rounded(QRectF(96, 122, 48, 14), 3), withAlpha(c::white, 50));
    textBar(p, 108, 127.5, 24, 3, c::white);
    p.restore();
}

} // namespace draw
