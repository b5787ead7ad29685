#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer; any finding
# aborts the test that hit it, and so fails the run. Then the programs alone built the way
# distributions and users pass sanitizers, in CMAKE_CXX_FLAGS: such a build must link them
# like the SANITIZE build (not static), so that every installed program runs.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-sanitize}
flags_build=${FLAGS_BUILD_DIR:-build-sanitize-flags}
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

set -x
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2

cmake -S . -B "$flags_build" -DTMS_DEVELOPER_MODE=OFF -DCMAKE_CXX_FLAGS=-fsanitize=address,undefined
cmake --build "$flags_build" -j2
cmake -DBUILD_DIR="$flags_build" -DSTAGE_DIR="$flags_build/install-check" -DPREFIX=/usr/local -DBINDIR=bin \
  -DFILE_LIST="$flags_build/installed-files.txt" -P cmake/check-install.cmake
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$flags_build/converter/melvox" examples/ode_to_joy.txt "$work/ode.bin" >/dev/null
cmp "$work/ode.bin" examples/ode_to_joy.bin
"$flags_build/player/melplay" "$work/ode.bin" -s >"$work/ode.score"
