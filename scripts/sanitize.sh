#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer in its own
# folder and runs it. Leaks inside the toolkit's own libraries (fonts, platform plugins) are not
# ours and are suppressed; any other report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build-asan}
bash scripts/setup.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEX_SANITIZE=ON >/dev/null
cmake --build "$build" -j 2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2
