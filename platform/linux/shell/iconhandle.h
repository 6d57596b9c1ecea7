// What an icon handle holds in the stand-in: its picture.
#pragma once

#include <QImage>

struct HICON__
{
    QImage image;
};
