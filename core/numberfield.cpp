#include "numberfield.h"

#include <QLineEdit>
#include <QStyle>

namespace numberfield {

void fitNumber(QLineEdit *field, int largest)
{
    // Text margins of two pixels a side, the frame on both sides, and the cursor.
    const int frame = field->hasFrame() ? field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field) : 0;
    const int need = field->fontMetrics().horizontalAdvance(QString::number(largest)) + 4 + 2 * frame + 2;
    if (field->maximumWidth() < need)
        field->setMaximumWidth(need);
    if (field->minimumWidth() < need)
        field->setMinimumWidth(need);
}

} // namespace numberfield
