#!/usr/bin/env bash
# Whole-program timings side by side with xxd dumping the same 65,536-byte image, in one
# run: koddar listing a random 65,536-byte image and tracing an image of code, melvox compiling a score of about 63,000
# bytes in both output types, melplay listing a 32,000-byte note stream and turning it back
# into a score (-s), melmidi converting a 1 MiB MIDI file. Each program's time is given as a ratio of medians against xxd, with
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
melmidi="$build/midi/melmidi"
for program in "$melvox" "$koddar" "$melplay" "$kodasm" "$melmidi"; do
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
# The traced listing: a 64 KiB image that is code from end to end, a conditional jump to the
# next instruction in every eight, listed with a map of one entry point, so that the trace
# reaches every byte and labels many (the image of koddar's traced-speed test).
perl -e '
  my @p = ("\x22\x41", "\x12\x05", "\x42\x05\x06", "\x88\x12\x34\x05", "\xb3", "\xd3\x03", "\x82\x2e", "\x8a\xf0\x1a");
  my $s = "";
  for (my $i = 0; length($s) < 65536 - 8; ++$i) {
    $s .= $p[($i * 5 + int($i / 8)) % 8];
    $s .= "\xe2\x00" if $i % 8 == 7;
  }
  $s .= "\x0a" x (65536 - length($s));
  print substr($s, 0, 65536);' >"$work/code.bin"
echo "code 0000" >"$work/code.map"
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
# A MIDI file of 1 MiB, format 1: a conductor track with a tempo change every 64 beats, a
# melody of 3,000 notes with controllers and pitch bends between them (running status), and
# 14 accompaniment tracks of chords filling the rest; melmidi reads it all and writes the melody.
perl -e '
  srand(12);
  sub vlq { my $v = shift; my @b = ($v & 127); $v >>= 7; while ($v) { unshift @b, 128 | ($v & 127); $v >>= 7 } pack "C*", @b }
  sub mtrk { my $d = shift() . "\x00\xff\x2f\x00"; "MTrk" . pack("N", length $d) . $d }
  my $cond = "";
  for my $i (0 .. 46) { $cond .= vlq($i ? 64 * 480 : 0) . "\xff\x51\x03" . substr(pack("N", 400000 + int(rand(300000))), 1) }
  my $mel = "\x00\xc0\x49";
  my $first = 1;
  for (1 .. 3000) {
    my $k = 60 + int(rand(25)); my $len = 120 * (1 + int(rand(4)));
    $mel .= vlq(0) . ($first ? "\x90" : "") . chr($k) . "\x64"; $first = 0;
    $mel .= vlq(1) . "\xb0\x07\x64" . vlq(1) . "\xe0\x00\x40" . vlq($len - 3) . "\x90" . chr($k) . "\x00";
    $mel .= vlq(1) . "\x90" . chr($k) . "\x00";   # running status through a second note-off
  }
  my @tracks = (mtrk($cond), mtrk($mel));
  my $size = 14 + 8 * 16 + length($cond) + length($mel) + 8;
  for my $t (2 .. 15) {
    my $left = int((1048576 - $size) / (16 - $t)) - 12; my $d = "\x00" . chr(0x90 + $t - 1);
    while (length($d) < $left - 12) {
      my $k = 40 + int(rand(40));
      $d .= chr($k) . "\x50" . "\x00" . chr($k + 4) . "\x50" . vlq(240) . chr($k) . "\x00" . "\x00" . chr($k + 4) . "\x00" . "\x00";
    }
    $d .= chr(60) . "\x00";
    $size += length($d) + 4;
    push @tracks, mtrk($d);
  }
  print "MThd", pack("Nnnn", 6, 1, scalar @tracks, 480), @tracks;' >"$work/large.mid"

# name, goal (times xxd), memory goal (MiB), command
cases=(
  "xxd image.bin (65,536 random bytes)|-|-|xxd image.bin"
  "koddar image.bin|1.0|2|$koddar image.bin"
  "koddar image.bin -a (its source)|-|-|$koddar image.bin -a"
  "koddar code.bin (64 KiB of code)|-|-|$koddar code.bin"
  "koddar code.bin -m:code.map (traced from 0000)|-|4|$koddar code.bin -m:code.map"
  "kodasm image.asm (koddar -a of image.bin) to /dev/null|-|8|$kodasm image.asm /dev/null"
  "melvox score.txt (63 KB), type 1|1.0|2|$melvox score.txt out1.bin -t:1"
  "melvox score.txt (63 KB), type 3|1.0|2|$melvox score.txt out3.bin -t:3"
  "melvox score.txt, type 1, to /dev/null (no temporary file, no fsync)|-|-|$melvox score.txt /dev/null -t:1"
  "melplay stream.bin (32,000 bytes), listing|1.5|4|$melplay stream.bin"
  "melplay stream.bin -s|2.0|4|$melplay stream.bin -s"
  "melmidi large.mid (1 MiB MIDI file), type 1|2×melvox|4|$melmidi large.mid large.txt"
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
    if (name ~ /^melvox score.txt \(63 KB\), type 1$/) melvox = median[name] / base
    ratio = median[name] / base
    # "2×melvox": within twice the ratio of melvox on the score in type 1 (a row above).
    limit = ($2 ~ /×melvox$/) ? ($2 + 0) * melvox : $2 + 0
    verdict = ($2 == "-") ? "" : (ratio <= limit ? " (met)" : " (missed)")
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
