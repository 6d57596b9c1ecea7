#!/usr/bin/env bash
# The same set-up, then the suite built with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/
# and every test run there: a memory error or undefined behaviour fails the test it happens in.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-packages.sh

# Warnings are the plain build's to fail on (scripts/setup.sh, under CI): with the sanitizers' instrumentation
# GCC's flow-based warnings (array bounds, overflow) report paths that a bounds check already rules out.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHUSHDECK_WERROR=OFF -DHUSHDECK_SANITIZE=ON
cmake --build build-asan -j"$(nproc)"

cd build-asan
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:exitcode=86:detect_leaks=1:strict_init_order=1:check_initialization_order=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=87"
# The helper run under Wine runs none of this build's code; the plain test run covers it. Its Windows build
# stays: other tests read the version resource of the Glasspan.exe it makes.
log=Testing/sanitized-run.log
mkdir -p Testing
if ../scripts/ctest-isolated.sh --output-on-failure -j"$(nproc)" -E '^glasspan_wine$' "$@" 2>&1 | tee "$log"; then
    exit 0
fi
# LeakSanitizer's own tracer now and then crashes while it stops the threads for the check at exit ("has
# encountered a fatal error"): the test found nothing, the check could not run. When that is all that failed
# (one such crash for each failed test), those tests run once more, sanitizers and leak check included. Any
# finding fails the run at once.
failed=$(wc -l <Testing/Temporary/LastTestsFailed.log)
crashed=$(grep -c 'LeakSanitizer has encountered a fatal error' "$log" || true)
if [ "$failed" -gt 0 ] && [ "$crashed" -eq "$failed" ] &&
    ! grep -q -E 'FAIL!|ERROR: AddressSanitizer|detected memory leaks|runtime error|SUMMARY: UndefinedBehaviorSanitizer|^The test run left' "$log"; then
    echo "LeakSanitizer's tracer crashed; running the tests it hit once more"
    ../scripts/ctest-isolated.sh --output-on-failure --rerun-failed -E '^glasspan_wine$'
    exit $?
fi
exit 1
