#include "categoryicons.h"

#include "krutils.h"

namespace {

struct CategoryIcon
{
    const char *name;
    const char *icon;
};

const CategoryIcon table[] = {
    {KRCategory::ThreeDImageFiles, ":/resources/images/3dImages16.png"},
    {KRCategory::AudioFiles, ":/resources/images/Audio16.png"},
    {KRCategory::BackupFiles, ":/resources/images/Backup16.png"},
    {KRCategory::CompressedFiles, ":/resources/images/CompressedFiles16.png"},
    {KRCategory::DiskImageFiles, ":/resources/images/DiskImage16.png"},
    {KRCategory::DocumentFiles, ":/resources/images/Document16.png"},
    {KRCategory::FontFiles, ":/resources/images/Font16.png"},
    {KRCategory::InstallerFiles, ":/resources/images/Install16.png"},
    {KRCategory::RasterImageFiles, ":/resources/images/RasterImage16.png"},
    {KRCategory::VectorImageFiles, ":/resources/images/VectorImage16.png"},
    {KRCategory::VideoFiles, ":/resources/images/Video16.png"},
    {KRCategory::WebFiles, ":/resources/images/WebFile16.png"},
};

} // namespace

QString categoryIconByPosition(int position)
{
    if (position < 0 || position >= int(std::size(table)))
        return QString();
    return QLatin1String(table[position].icon);
}

QString categoryIconByName(const QString &name)
{
    for (const CategoryIcon &c : table)
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return QLatin1String(c.icon);
    return QString();
}
