#!/usr/bin/env bash
# Every benchmark, in an optimised build (build-release/): the three engines against their peer tools, then
# the in-process ones. Prints each ratio beside its goal; exits non-zero when an answer is wrong or a goal
# is missed (all of them run either way).
source "$(dirname "$0")/common.sh"
bench_build bench_catalogue bench_processmanager bench_registry bench_systeminfo
status=0
for script in run-foldersize.sh run-finddup.sh run-securedelete.sh; do
    echo "== $script"
    bench/$script || status=1
done
for name in bench_registry bench_catalogue bench_processmanager bench_systeminfo; do
    echo "== $name"
    QT_QPA_PLATFORM=offscreen "$build/bench/$name" || status=1
done
exit $status
