#!/usr/bin/env bash
# Whole-program timings and peak memory of koddar on a 65,536-byte image and
# melvox on a score of about 63,000 bytes (both output types).
# Usage: bash bench/run.sh [build-dir]     (default: build)
# Uses hyperfine when installed, else a loop of 50 runs timed with date +%s%N;
# peak memory from GNU time (/usr/bin/time -v). Targets: under 10 ms a run,
# under 4 MiB peak. Then the throughput benchmarks, when built.
# BENCH_LOOP=1 forces the loop even when hyperfine is there.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
melvox="$build/converter/melvox"
koddar="$build/disassembler/koddar"
for program in "$melvox" "$koddar"; do
  [[ -x "$program" ]] || { echo "run.sh: $program not built" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The same inputs as bench/inputs.h.
perl -e '
  my @names = qw(C3 D#3 Eb3 F#3 G3 Ab3 A3 Bb3 B3 C4 C#4 E4 REST);
  my @durations = qw(0.25 0.5 1 1.5 0.75 2 0.125);
  my ($score, $note) = ("120\n", 0);
  while (1) {
    my $block = "REPEAT 3\n";
    for (1 .. 10) {
      $block .= "$names[$note % 13] $durations[$note % 7]\n";
      $note++;
    }
    $block .= "END\n";
    last if length($score) + length($block) > 63000;
    $score .= $block;
  }
  print $score;' > "$work/score.txt"
perl -e 'print join "", map { chr(($_ * 151 + int($_ / 256)) & 0xFF) } 0 .. 65535' > "$work/image.bin"
echo "inputs: score.txt $(stat -c %s "$work/score.txt") bytes, image.bin $(stat -c %s "$work/image.bin") bytes"

# name, then the command, run in $work with all output to /dev/null.
cases=(
  "koddar 65536-byte image|$koddar image.bin -r:0xF000"
  "melvox large score, type 1|$melvox score.txt out.bin -t:1"
  "melvox large score, type 3|$melvox score.txt out.bin -t:3"
)
cd "$work"
for entry in "${cases[@]}"; do
  name="${entry%%|*}"
  command="${entry#*|}"
  sh -c "exec $command" >/dev/null 2>&1 ||
    { echo "run.sh: $name: command failed: $command" >&2; exit 1; }
  echo "== $name: $command"
  if [[ -z "${BENCH_LOOP:-}" ]] && command -v hyperfine >/dev/null; then
    hyperfine --warmup 5 --runs 50 --style basic --output=null -N "$command" 2>&1 |
      grep -E 'Time|Range' || true
  else
    total=0 best=0
    for _ in $(seq 50); do
      start=$(date +%s%N)
      sh -c "exec $command" >/dev/null 2>&1
      elapsed=$(( $(date +%s%N) - start ))
      total=$(( total + elapsed ))
      if (( best == 0 || elapsed < best )); then best=$elapsed; fi
    done
    awk -v total="$total" -v best="$best" 'BEGIN {
      printf "  mean %.2f ms, best %.2f ms over 50 runs (each includes starting sh)\n",
             total / 50 / 1e6, best / 1e6 }'
  fi
  if [[ -x /usr/bin/time ]]; then
    rss=$(/usr/bin/time -v sh -c "exec $command >/dev/null 2>&1" 2>&1 |
          sed -n 's/.*Maximum resident set size (kbytes): //p')
    echo "  peak memory: ${rss} KiB"
  else
    echo "  peak memory: /usr/bin/time not installed (apt-get install -y time)"
  fi
done

if [[ -x "$build/bench/tms_bench" ]]; then
  echo "== throughput (Google Benchmark)"
  "$build/bench/tms_bench" 2>&1
fi
