#include "findduplicatesettings.h"

#include "krutils.h"

QString readCustomFileTypeList()
{
    // A size query first: a fixed buffer would lose long lists.
    QString text;
    KRUtils().readRegString(HKEY_CURRENT_USER, QStringLiteral(FIND_DUPLICATE_KEY), QStringLiteral("CustomFileType"),
                            text);
    return text;
}

QStringList parseCustomFileTypes(const QString &text)
{
    return text.split(QLatin1Char(','), Qt::KeepEmptyParts);
}

QImage categoryImage(const QString &name)
{
    static const struct
    {
        const char *category;
        const char *image;
    } table[] = {
        {"Raster Image Files", "RasterImage16.png"},
        {"3D Image Files", "3dImages16.png"},
        {"Audio Files", "Audio16.png"},
        {"Backup Files", "Backup16.png"},
        {"Compressed Files", "CompressedFiles16.png"},
        {"Disk Image Files", "DiskImage16.png"},
        {"Document Files", "Document16.png"},
        {"Font Files", "Font16.png"},
        {"Installer and Executable Files", "Install16.png"},
        {"Vector Image Files", "VectorImage16.png"},
        {"Video Files", "Video16.png"},
        {"Web Files", "WebFile16.png"},
    };
    for (const auto &row : table)
        if (name.compare(QLatin1String(row.category), Qt::CaseInsensitive) == 0)
            return QImage(QStringLiteral(":/resources/images/") + QLatin1String(row.image));
    return QImage();
}
