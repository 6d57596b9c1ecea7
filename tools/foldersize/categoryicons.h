// The fixed 16 x 16 pictures of the twelve built-in file categories, in the order of the category table.
#pragma once

#include <QString>

// By position in the category table; "" for a position past the table.
QString categoryIconByPosition(int position);
// By category name, compared without regard to case; "" for a name of no built-in category.
QString categoryIconByName(const QString &name);
