// The edition a build is, chosen when it is configured (HUSHDECK_BASIC_EDITION): the Plus! edition's names end
// in " Plus!" (settings root, backup and wallpaper folders, window and message titles), the basic edition's do
// not. Both programs and the machine they run on take their names from here, so they always agree.
#pragma once

#ifndef HUSHDECK_PLUS_EDITION
#define HUSHDECK_PLUS_EDITION 1
#endif

#if HUSHDECK_PLUS_EDITION
#define HUSHDECK_PRODUCT_NAME "Keelrun Hushdeck Plus!"
#else
#define HUSHDECK_PRODUCT_NAME "Keelrun Hushdeck"
#endif
