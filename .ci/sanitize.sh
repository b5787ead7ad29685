#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer; any finding
# aborts the test that hit it, and so fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-sanitize}
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

set -x
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
