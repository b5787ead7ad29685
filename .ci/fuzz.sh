#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for a bounded time, starting
# from its seed corpus; any finding (a crash, a sanitizer report, a broken check) fails.
# FUZZ_SECONDS sets the time per target (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-20}
targets=(score_compiler decoder melvox_args koddar_args melplay map_trace exec_log kodasm midi)

if ! command -v clang++ >/dev/null; then
  apt-get update && apt-get install -y clang
fi

set -x
CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"
set +x

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
failed=0
for t in "${targets[@]}"; do
  work="$build/fuzz-run/$t"
  rm -rf "$work" && mkdir -p "$work/corpus" "$work/findings"
  cp fuzz/corpus/"$t"/* "$work/corpus/"
  echo "+ fuzz_$t for ${seconds}s"
  if ! "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/findings/" "$work/corpus" >"$work/log" 2>&1; then
    echo "FINDING in fuzz_$t:"
    tail -n 60 "$work/log"
    ls -l "$work/findings"
    failed=1
    continue
  fi
  grep -E 'DONE|stat::number_of_executed_units' "$work/log" || true
done
exit "$failed"
