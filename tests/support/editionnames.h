// The names of the edition this build was configured as (HUSHDECK_BASIC_EDITION), spelled out here rather
// than taken from the programs' own headers: a build whose names do not follow the option fails the tests.
#pragma once

#if HUSHDECK_TEST_BASIC_EDITION
#define TEST_EDITION_NAME "Keelrun Hushdeck"
#else
#define TEST_EDITION_NAME "Keelrun Hushdeck Plus!"
#endif
#define TEST_EDITION_ROOT "Software\\" TEST_EDITION_NAME
