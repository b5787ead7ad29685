#!/usr/bin/env bash
# Install and package proof, from a clean Release build:
#   1. cmake --install with DESTDIR into a staging directory, checked file by file;
#   2. cpack -G DEB, then dpkg -i of the package (a real install: run this as
#      root on a machine you can throw away, as CI does);
#   3. the installed programs run: -h gives status 1 and the usage line, and
#      the installed examples convert and list to their expected files;
#   4. dpkg -r removes the package and its programs again.
# Usage: bash .ci/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="$root/build-package"
package=tms7000-devtools
docdir="/usr/share/doc/$package"

fail() {
  echo "package.sh: $*" >&2
  exit 1
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Runs a command with its output in a log that is shown only when it fails.
quiet() {
  "$@" >"$work/log" 2>&1 || { cat "$work/log" >&2; fail "failed: $*"; }
}

# A packager's configure: developer mode off, and GoogleTest and Google Benchmark hidden
# even where they are installed, so the build proves it needs neither.
echo "== configure and build (Release, developer mode off, no GoogleTest)"
rm -rf "$build"
quiet cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTMS_DEVELOPER_MODE=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
quiet cmake --build "$build" -j2
if grep -E '^(GTest|GTEST|benchmark|MANDOC|VALGRIND)[A-Za-z_]*:' "$build/CMakeCache.txt"; then
  fail "a build with developer mode off looked for a developer tool (above)"
fi
echo "   built without looking for GoogleTest, Google Benchmark, mandoc or valgrind"
twins=$(find "$build" -name '*-dynamic' -type f)
[[ -z $twins ]] || fail "the tests' dynamically linked twins were built: $twins"

# The files an install must place, as the install rules list them (relative to the
# prefix), and the programs among them.
mapfile -t listed <"$build/installed-files.txt"
expected=()
programs=()
for path in "${listed[@]}"; do
  expected+=("usr/$path")
  [[ $path == bin/* ]] && programs+=("${path#bin/}")
done
[[ ${#programs[@]} -gt 0 ]] || fail "no program in $build/installed-files.txt"

echo "== cmake --install --prefix /usr with DESTDIR"
stage="$work/stage"
DESTDIR="$stage" quiet cmake --install "$build" --prefix /usr
for path in "${expected[@]}"; do
  [[ -f "$stage/$path" ]] || fail "not installed: /$path"
done
for example in examples/*; do
  cmp -s "$example" "$stage/${docdir#/}/$example" || fail "installed $example differs"
done
echo "   ${#expected[@]} files in place, ${#programs[@]} programs: ${programs[*]}"
# Where the toolchain links static programs, each installed one is: no program interpreter.
if grep -q '^TMS_CAN_LINK_STATIC:INTERNAL=1$' "$build/CMakeCache.txt"; then
  for program in "${programs[@]}"; do
    ! readelf -l "$stage/usr/bin/$program" | grep -q 'Requesting program interpreter' ||
      fail "installed $program is linked dynamically"
  done
  echo "   every program statically linked"
fi

echo "== cpack -G DEB"
(cd "$build" && quiet cpack -G DEB)
debs=("$build"/${package}_*.deb)
[[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || fail "expected one .deb in $build"
deb="${debs[0]}"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Architecture\|Depends\):/   \1:/p'
contents="$(dpkg-deb --contents "$deb")"
for path in "${expected[@]}"; do
  grep -q " \./$path\$" <<<"$contents" || fail "not in the package: /$path"
done

echo "== dpkg -i"
quiet dpkg -i "$deb"
trap 'dpkg -r "$package" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

# Each installed program, found on PATH like a user finds it.
for program in "${programs[@]}"; do
  [[ "$(command -v "$program")" == "/usr/bin/$program" ]] ||
    fail "$program is not found as /usr/bin/$program"
done
for program in "${programs[@]}"; do
  status=0
  out="$("$program" -h 2>/dev/null)" || status=$?
  [[ $status -eq 1 ]] || fail "installed $program -h: status $status, want 1"
  grep -q "^Usage: $program " <<<"$out" || fail "installed $program -h: no usage line in: $out"
  echo "   $program -h: status 1, usage line"
done

# A real conversion and a real listing from the installed examples, checked
# against their expected files.
examples="$docdir/examples"
(
  cd "$work"
  melvox "$examples/ode_to_joy.txt" ode_to_joy.bin >/dev/null 2>&1
  cmp ode_to_joy.bin "$examples/ode_to_joy.bin"
  koddar "$examples/delay.bin" -r:0xF000 2>/dev/null >delay.lst
  cmp delay.lst "$examples/delay.lst"
) || fail "installed programs do not reproduce the installed examples"
echo "   ode_to_joy.txt converts and delay.bin lists as expected"

echo "== dpkg -r"
quiet dpkg -r "$package"
trap 'rm -rf "$work"' EXIT
for program in "${programs[@]}"; do
  [[ ! -e "/usr/bin/$program" ]] || fail "/usr/bin/$program is still there after dpkg -r"
done
echo "package.sh: install tree, package, installed programs and removal all good"
