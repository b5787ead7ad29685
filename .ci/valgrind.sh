#!/usr/bin/env bash
# The end-to-end runs of every program under valgrind (ctest label "valgrind"): any memory
# error or definite or indirect leak fails.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-valgrind}
if ! command -v valgrind >/dev/null; then
  apt-get update && apt-get install -y valgrind
fi

set -x
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
ctest --test-dir "$build" -L valgrind --output-on-failure -j2 --no-tests=error
