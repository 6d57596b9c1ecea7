#!/usr/bin/env bash
# The basic edition (HUSHDECK_BASIC_EDITION), built into build-basic/: only the tests whose pages, names or
# registry values differ between the editions (the catalogue, the Taskbar tab's pages and every page's contract,
# the transparency page with the real helper, and the suites that check the edition's settings root, titles and
# backup and wallpaper folders against the names the option gives), built with what they need and run with ctest.
# Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh

tests=(tst_catalogue tst_pendingchanges tst_restore tst_taskbarpages tst_pagecontract tst_automationhelper
       tst_edition tst_krutils tst_aboutdialog tst_loadwallpaperthread tst_glasspan tst_glasspanprocess)
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B build-basic -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHUSHDECK_WERROR=$werror \
    -DHUSHDECK_BASIC_EDITION=ON
cmake --build build-basic -j"$(nproc)" --target "${tests[@]}"

cd build-basic
regex="^($(IFS='|'; echo "${tests[*]}"))\$"
../scripts/ctest-isolated.sh --output-on-failure -j"$(nproc)" -R "$regex" "$@"
