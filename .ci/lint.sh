#!/usr/bin/env bash
# Static checks over every program directory (a top-level directory with its own
# CMakeLists.txt and tests/) and fuzz/: clang-tidy and cppcheck on the sources, the
# clang-format check on sources and tests alike.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-lint}
missing=()
for tool in clang++:clang clang-tidy:clang-tidy clang-format:clang-format cppcheck:cppcheck; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool##*:}")
done
if ((${#missing[@]})); then
  apt-get update && apt-get install -y "${missing[@]}"
fi

dirs=()
for d in */; do
  d=${d%/}
  [[ $d == build* ]] && continue
  if [[ -f $d/CMakeLists.txt && -d $d/tests ]] || [[ $d == fuzz ]]; then
    dirs+=("$d")
  fi
done
echo "+ checking: ${dirs[*]}"

# Sources (tests apart) and everything that clang-format must keep as it is.
mapfile -t sources < <(for d in "${dirs[@]}"; do find "$d" -path "$d/tests" -prune -o -name '*.cpp' -print; done | sort)
mapfile -t formatted < <(for d in "${dirs[@]}"; do find "$d" -name '*.cpp' -o -name '*.h'; done | sort)
includes=()
for d in "${dirs[@]}"; do includes+=(-I "$d"); done

status=0
set -x
clang-format --dry-run -Werror "${formatted[@]}" || status=1

CXX=clang++ cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DBUILD_TESTING=OFF >/dev/null
printf '%s\n' "${sources[@]}" | xargs -P2 -n4 clang-tidy -p "$build" --quiet || status=1

cppcheck --enable=warning,performance,portability --error-exitcode=1 --inline-suppr --std=c++17 \
  --quiet "${includes[@]}" "${sources[@]}" || status=1
set +x
if ((status)); then
  echo "lint: findings above"
fi
exit "$status"
