#!/usr/bin/env bash
# Whole-program timings side by side with xxd dumping the same 65,536-byte image, in one
# run: koddar listing a random 65,536-byte image, melvox compiling a score of about 63,000
# bytes in both output types, melplay listing a 32,000-byte note stream and turning it back
# into a score (-s). Each program's time is given as a ratio of medians against xxd, with
# its peak resident memory, the goals beside them, and the machine and the date on top.
# melvox writes its target through a temporary file that it syncs and renames; one more row
# writes to /dev/null (in place, no sync) to show the compiler's own share.
# Then the throughput benchmarks (Google Benchmark), when built.
# Usage: bash bench/run.sh [build-dir]     (default: build)
# BENCH_ROUNDS (default 300): rounds; each round runs every command once, output to a pipe.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
rounds=${BENCH_ROUNDS:-300}
melvox="$build/converter/melvox"
koddar="$build/disassembler/koddar"
melplay="$build/player/melplay"
kodasm="$build/assembler/kodasm"
for program in "$melvox" "$koddar" "$melplay" "$kodasm"; do
  [[ -x "$program" ]] || { echo "run.sh: $program not built" >&2; exit 1; }
done
command -v xxd >/dev/null || { echo "run.sh: xxd not installed (Debian: xxd)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Linked statically so that its own small memory, not a loaded C++ library, is what a child
# inherits until it starts its program: the peak memory read from wait4 is the child's.
"${CXX:-c++}" -std=c++17 -O2 -static -o "$work/timer" "$root/bench/timer.cpp"

# The score is the one of bench/inputs.h; the image is random bytes of a fixed seed; the
# stream holds random notes (divisors mostly 20 to 2,000) and a section every so often, and
# is exactly 32,000 bytes long with its terminator.
perl "$root/bench/large_score.pl" >"$work/score.txt"
perl -e 'srand(12); print map { chr(int(rand(256))) } 1 .. 65536' >"$work/image.bin"
# kodasm assembles the source koddar -a writes of the same image (its goal: at most twice the
# time koddar takes to write that source); the target is /dev/null, written in place.
"$koddar" "$work/image.bin" -a >"$work/image.asm" 2>/dev/null
perl -e '
  srand(12);
  my ($s, $inside) = ("", 0);
  my $left = sub { 32000 - 1 - length($s) };
  while ($left->() >= 10) {
    if ($inside && rand() < 0.03) { $s .= chr(0x80); $inside = 0; next; }
    if (!$inside && rand() < 0.03) { $s .= chr(0x81 + int(rand(7))); $inside = 1; next; }
    my $div = 20 + int(rand(1980));
    $s .= chr(1 + int(rand(95))) . chr($div & 255) . chr($div >> 8);
  }
  $s .= chr(0x80) if $inside;
  while ($left->() % 3) { $s .= chr(0x81) . chr(0x80); }   # empty sections fill the gap
  while ($left->() > 0) { $s .= chr(1 + int(rand(95))) . chr(100) . chr(0); }
  print $s, chr(0);' >"$work/stream.bin"
[[ $(stat -c %s "$work/stream.bin") == 32000 ]] || { echo "run.sh: stream is not 32,000 bytes" >&2; exit 1; }

# name, goal (times xxd), memory goal (MiB), command
cases=(
  "xxd image.bin (65,536 random bytes)|-|-|xxd image.bin"
  "koddar image.bin|1.0|2|$koddar image.bin"
  "koddar image.bin -a (its source)|-|-|$koddar image.bin -a"
  "kodasm image.asm (koddar -a of image.bin) to /dev/null|-|8|$kodasm image.asm /dev/null"
  "melvox score.txt (63 KB), type 1|1.0|2|$melvox score.txt out1.bin -t:1"
  "melvox score.txt (63 KB), type 3|1.0|2|$melvox score.txt out3.bin -t:3"
  "melvox score.txt, type 1, to /dev/null (no temporary file, no fsync)|-|-|$melvox score.txt /dev/null -t:1"
  "melplay stream.bin (32,000 bytes), listing|1.5|4|$melplay stream.bin"
  "melplay stream.bin -s|2.0|4|$melplay stream.bin -s"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r name _ _ command <<<"$entry"
  printf '%s\t%s\n' "$name" "$command"
done >"$work/commands"

cd "$work"
./timer "$rounds" commands >results
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo "Whole runs, output to a pipe, $rounds rounds; $(date -u '+%Y-%m-%d %H:%M UTC'); ${cpu:-$(uname -m)}, $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg) before"
echo
printf '%s\n' "${cases[@]}" | awk -F'|' -v results=results '
  BEGIN {
    while ((getline line < results) > 0) {
      split(line, f, "\t"); median[f[1]] = f[2]; q1[f[1]] = f[3]; q3[f[1]] = f[4]; rss[f[1]] = f[5]
    }
    print "| program and input | median ms | quartiles ms | × xxd | goal | peak memory | goal |"
    print "|---|---|---|---|---|---|---|"
  }
  {
    name = $1
    if (NR == 1) base = median[name]
    ratio = median[name] / base
    verdict = ($2 == "-") ? "" : (ratio <= $2 + 0 ? " (met)" : " (missed)")
    memory = sprintf("%.2f MiB", rss[name] / 1024)
    mverdict = ($3 == "-") ? "" : (rss[name] / 1024 < $3 + 0 ? " (met)" : " (missed)")
    printf "| %s | %.2f | %.2f–%.2f | %.2f | %s%s | %s | %s%s |\n", name, median[name] / 1000,
           q1[name] / 1000, q3[name] / 1000, ratio, ($2 == "-") ? "" : "≤ " $2, verdict, memory,
           ($3 == "-") ? "" : "< " $3 " MiB", mverdict
  }'

if [[ -x "$build/bench/tms_bench" ]]; then
  echo
  echo "== throughput (Google Benchmark)"
  "$build/bench/tms_bench" 2>&1
fi
