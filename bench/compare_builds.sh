#!/usr/bin/env bash
# Runs two builds of koddar, melvox and melplay on the same inputs and compares everything
# each run does: standard output, standard error, exit status and the file it writes, byte
# for byte. Used to show that a faster build prints exactly what the reference build prints.
# Inputs: every example file, random code images listed at several relocations and windows,
# random scores in both output types (valid ones and ones that fail at every error code),
# random note streams (valid and faulty) listed, decompiled and previewed.
# Usage: bash bench/compare_builds.sh REFERENCE_BUILD NEW_BUILD [rounds]   (default 30 rounds)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
[[ $# -ge 2 ]] || { echo "usage: compare_builds.sh REFERENCE_BUILD NEW_BUILD [rounds]" >&2; exit 2; }
rounds=${3:-30}

find_program() {  # build dir, program name
  local path
  path=$(find "$1" -type f -name "$2" -perm -u+x -not -path '*/CMakeFiles/*' | head -n 1)
  [[ -n $path ]] || { echo "compare_builds.sh: no $2 in $1" >&2; exit 2; }
  (cd "$(dirname "$path")" && echo "$PWD/$2")
}
declare -A old new
for p in koddar melvox melplay; do
  old[$p]=$(find_program "$1" "$p")
  new[$p]=$(find_program "$2" "$p")
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
runs=0 failures=0

# check PROGRAM WRITTEN_FILE ARGS...: one run of each build in the same directory under the
# same argv[0]; WRITTEN_FILE is "-" when the run writes none.
check() {
  local program=$1 written=$2 side status
  shift 2
  for side in old new; do
    [[ $written != - ]] && rm -f "$written"
    local -n bins=$side
    set +e
    (exec -a "$program" "${bins[$program]}" "$@") >"$side.out" 2>"$side.err" </dev/null
    status=$?
    set -e
    echo "$status" >"$side.status"
    if [[ $written != - && -e $written ]]; then mv "$written" "$side.file"; else echo "(none)" >"$side.file"; fi
  done
  runs=$((runs + 1))
  local what
  for what in out err status file; do
    if ! cmp -s "old.$what" "new.$what"; then
      failures=$((failures + 1))
      echo "DIFFERS ($what): $program $*" >&2
      if ((failures <= 5)); then
        diff <(od -c "old.$what" | head -n 2000) <(od -c "new.$what" | head -n 2000) | head -n 10 >&2 || true
        mkdir -p "$root/build-compare-failures"
        cp "$@" "$root/build-compare-failures/" 2>/dev/null || true
      fi
      return 0
    fi
  done
}

# ---------- inputs
# random_bytes SEED COUNT FILE
random_bytes() { perl -e 'srand($ARGV[0]); print map { chr(int(rand(256))) } 1 .. $ARGV[1]' "$1" "$2" >"$3"; }

# random_score SEED FILE: a score of random elements; with a small chance per element one of
# the faults (unknown name, bad duration, bad count, misplaced END or REPEAT, a divisor out of
# range) and odd but valid forms of numbers and delimiters.
random_score() {
  perl -e '
    srand($ARGV[0]);
    my @l = ("C","D","E","F","G","A","B"); my @acc = ("", "#", "b");
    my @names = ("REST");
    for my $o (0 .. 7) { for my $x (@l) { for my $y (@acc) {
      my $n = "$x$y$o";
      push @names, $n unless $n =~ /^(E#|B#)|^(C|C#|Db|Cb)0$/;
    } } }
    push @names, "Cb8", "C0", "E#4", "c4", "rest", "R", "B#2", "Db0";   # some are not notes
    my @dur = ("1", "0.5", "0.25", "2", "1.5", ".5", "2.", "1e+1", "0.1", "3.75", "1/4", "16.549",
               "16.55", "0x1p-2", "inf", "nan", "0", "1e", "7e+40", "0.0000001", "+1", "12345.678",
               "0.3333333", "x", "0.000000000000000000000000000000000000000000001");
    my @delim = (" ", ",", ";", ":", "!", "-", "\t", "\n", "\r\n", "\f", "  ", "\n\n");
    my @tempo = ("120", "60", "200bpm", "+90", "250", "1", "3960", "7", "99999999999");
    my $fault = rand() < 0.3;
    my $d = sub { $delim[int(rand(@delim))] };
    my $s = $tempo[int(rand($fault ? @tempo : 5))] . "\n";
    my $inside = 0;
    my $n = 1 + int(rand(rand() < 0.2 ? 3000 : 200));
    for (1 .. $n) {
      my $r = rand();
      if ($r < 0.05 && !$inside) { $s .= "REPEAT" . $d->() . (1 + int(rand(127))) . "\n"; $inside = 1; next; }
      if ($r < 0.10 && $inside) { $s .= "END\n"; $inside = 0; next; }
      my $name = $names[int(rand($fault ? @names : @names - 8))];
      my $du = $fault ? $dur[int(rand(@dur))] : $dur[int(rand(10))];
      $s .= $name . $d->() . $du . $d->();
      if ($fault && rand() < 0.01) { $s .= (rand() < 0.5 ? "END " : "REPEAT 0 ") }
    }
    $s .= "END\n" if $inside && !($fault && rand() < 0.5);
    print $s;' "$1" >"$2"
}

# random_stream SEED FILE: a valid note stream of random notes and sections, or with a
# small chance a faulty one (a byte changed, cut short, or bytes after the end).
random_stream() {
  perl -e '
    srand($ARGV[0]);
    my $limit = rand() < 0.3 ? 32000 : 50 + int(rand(2000));
    my ($s, $inside) = ("", 0);
    while (length($s) < $limit - 4) {
      my $r = rand();
      if ($r < 0.03 && !$inside) { $s .= chr(0x81 + int(rand(127))); $inside = 1; next; }
      if ($r < 0.06 && $inside) { $s .= chr(0x80); $inside = 0; next; }
      my $code = 1 + int(rand(95));
      my $div = rand() < 0.1 ? 1 + int(rand(65535)) : 1 + int(rand(2000));
      $s .= chr($code) . chr($div & 255) . chr($div >> 8);
    }
    $s .= chr(0x80) if $inside;
    $s .= chr(0);
    if (rand() < 0.2) {
      my $k = int(rand(3));
      if ($k == 0) { substr($s, int(rand(length $s)), 1) = chr(int(rand(256))); }
      elsif ($k == 1) { $s = substr($s, 0, int(rand(length $s))); }
      else { $s .= chr(int(rand(256))); }
    }
    print $s;' "$1" >"$2"
}

cp -R "$root/examples" ex

# ---------- koddar
for f in ex/*; do
  check koddar - "$f"
  check koddar - "$f" -r:0xF000
done
perl -e 'print map { chr($_) . "\0\0\0" } 0 .. 255' >opcodes.bin
perl -e 'print join "", map { chr(($_ * 151 + int($_ / 256)) & 0xFF) } 0 .. 65535' >bench.bin
random_bytes 7 70000 long.bin
for f in opcodes.bin bench.bin long.bin; do
  for r in "" -r:0xF000 -r:0xFFFF -r:0x7FFFFFFF -r:-0x10 -r:0x80000000 -r:0xFFFFFFFF -r:0x12345678 -r:0x0FFF0; do
    check koddar - "$f" $r
  done
done
for i in $(seq "$rounds"); do
  size=$(perl -e "srand($i); print int(1 + rand(rand() < 0.3 ? 66000 : 300))")
  random_bytes "$i" "$size" img.bin
  read -r r s e < <(perl -e '
    srand($ARGV[0] * 7 + 1); my $n = $ARGV[1];
    my @rel = (0, 0xF000, 0x1000, 0xFFFF, 0x7FFFFF00, -0x100, 0x7FFFFFFF, int(rand(2**31)));
    my $r = $rel[int(rand(@rel))];
    my $s = $r + int(rand($n)); my $e = $s + int(rand($n - ($s - $r)));
    $s = $s + int(rand(4)) - 2 if rand() < 0.1;   # sometimes just outside the data
    $e = $e + int(rand(4)) if rand() < 0.1;
    printf "%s0x%X %s0x%X %s0x%X\n", $r < 0 ? "-" : "", abs($r), $s < 0 ? "-" : "", abs($s),
           $e < 0 ? "-" : "", abs($e);' "$i" "$size")
  check koddar - img.bin "-r:$r"
  check koddar - img.bin "-r:$r" "-s:$s"
  check koddar - img.bin "-r:$r" "-e:$e"
  check koddar - img.bin "-r:$r" "-s:$s" "-e:$e"
done
check koddar - -h
check koddar - -x bench.bin
check koddar - bench.bin -r
check koddar - none.bin
check koddar - bench.bin opcodes.bin
check koddar - -r:0xF000 -s:0x10 bench.bin
check koddar - -e:0x10000 bench.bin
: >empty.bin
check koddar - empty.bin
check koddar - .

# Listings with a map: the example's, the traced images', and random images traced from a few
# entries, with names of every length for labels, registers and ports, some lines past FFFF.
check koddar - ex/delay.bin -r:0xF000 -m:ex/delay.map
for m in mixed1 mixed2; do
  cp "$root/disassembler/tests/traced/$m.bin" "$root/disassembler/tests/traced/$m.map" .
  check koddar - "$m.bin" -r:0xF000 "-m:$m.map"
done
for i in $(seq "$rounds"); do
  random_bytes $((i + 500)) 4096 img.bin
  for r in 0xF000 0xFF80 0x7FFFF800; do
    perl -e '
      srand($ARGV[0]); my $r = hex($ARGV[1]);
      my $name = sub { my $n = "N$_[0]_"; $n .= chr(65 + int(rand(26))) while length($n) < 1 + int(rand(32)); substr($n, 0, 32) };
      my $hex = sub { my $v = ($r + $_[0]) & 0xFFFFFFFF; $v < 2**31 ? sprintf("%X", $v) : sprintf("-%X", 2**32 - $v) };
      my %seen;
      for my $kind (("code") x 3, ("label") x 20) {
        my $a; do { $a = $hex->(int(rand(3000))) } while $seen{$a}++;
        printf "%s %s %s\n", $kind, $a, $name->(scalar keys %seen);
      }
      my @kinds = ("bytes", "words", "addrs", "text");
      for my $k (0 .. 3) {   # data ranges above the code, one of each kind
        my $from = 3000 + 256 * $k + int(rand(64));
        printf "%s %s %s %s\n", $kinds[$k], $hex->($from), $hex->($from + 1 + 2 * int(rand(60))), $name->("d$k");
      }
      printf "reg %d %s\n", $_ * 7, $name->("r$_") for 1 .. 20;
      printf "port %d %s\n", $_ * 5, $name->("p$_") for 1 .. 20;' "$i" "$r" >img.map
    check koddar - img.bin "-r:$r" -m:img.map
  done
done

# ---------- melvox
for f in ex/*; do
  check melvox out.bin "$f" out.bin
  check melvox out.bin "$f" out.bin -t:3
done
perl "$root/bench/large_score.pl" >large.txt
check melvox out.bin large.txt out.bin -t:1
check melvox out.bin large.txt out.bin -t:3
for i in $(seq $((rounds * 3))); do
  random_score "$i" score.txt
  check melvox out.bin score.txt out.bin
  check melvox out.bin score.txt out.bin -t:3
done
check melvox out.bin -h
check melvox out.bin large.txt
check melvox out.bin large.txt large.txt
check melvox out.bin -q large.txt out.bin
check melvox out.bin none.txt out.bin
check melvox out.bin empty.bin out.bin
check melvox out.bin large.txt out.bin -t:2

# ---------- melplay
for f in ex/*; do
  for o in "" -t:3 -s "-s -t:3"; do
    check melplay - "$f" $o
  done
done
for i in $(seq $((rounds * 2))); do
  random_stream "$i" stream.bin
  check melplay - stream.bin
  check melplay - stream.bin -t:3
  check melplay - stream.bin -s
  check melplay - stream.bin -s -t:3
done
for i in 1 2 3; do
  perl -e 'srand($ARGV[0]); print map { chr(1 + int(rand(95))) . chr(1 + int(rand(200))) . "\0" } 1 .. 40; print "\0"' "$i" >short.bin
  check melplay out.wav short.bin -w:out.wav
  check melplay out.wav short.bin -t:3 -w:out.wav
done
check melplay - -h
check melplay - -t:2 short.bin
check melplay - empty.bin

echo "compare_builds: $runs runs, $failures differing"
((failures == 0))
