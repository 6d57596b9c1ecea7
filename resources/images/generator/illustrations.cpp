// Setting page illustrations. A page that gets its own schematic replaces its placeholder row in
// imagetable.cpp with a drawing function here, drawn in pixels of its size.
#include "drawings.h"
#include "shapes.h"

#include <QFont>

using namespace art;
namespace c = art::colour;

namespace draw {

std::function<void(QPainter &)> placeholder(const QString &subject, QSize size)
{
    return [subject, size](QPainter &p) {
        const QRectF frame(0.5, 0.5, size.width() - 1, size.height() - 1);
        fill(p, rounded(frame, 6), c::paper);
        p.setPen(QPen(c::line, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(frame, 6, 6);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        font.setHintingPreference(QFont::PreferNoHinting);
        p.setFont(font);
        p.setPen(c::slateMid);
        p.drawText(frame.adjusted(6, 4, -6, -4), Qt::AlignCenter | Qt::TextWordWrap, subject);
    };
}

} // namespace draw
