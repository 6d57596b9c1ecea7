// What the program knows of itself and of its maker's web site: the installed version and the addresses
// that About and the update check show, open or fetch. Change the web server here and nowhere else.
#pragma once

#include <QtGlobal>

// The installed version, shown by About and compared with the newest one the update file names.
constexpr qint32 installedMajorVersion = 3;
constexpr qint32 installedMinorVersion = 3;

// The maker's web server. The update file is fetched over plain HTTP from it.
#define HUSHDECK_MAKER_HOST "keelrun.com"
// The maker's web site as About links it.
#define HUSHDECK_MAKER_SITE "https://" HUSHDECK_MAKER_HOST
// The update file: key=value items separated by ";".
#define HUSHDECK_UPDATE_URL "http://" HUSHDECK_MAKER_HOST "/Hushdeck10Plus/update.txt"
// The product page that "Download update" opens.
#define HUSHDECK_PRODUCT_PAGE "https://" HUSHDECK_MAKER_HOST "/Hushdeck.php"
