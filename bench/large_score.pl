#!/usr/bin/env perl
# The benchmarks' large score, the one of bench/inputs.h: a tempo, then REPEAT 3 blocks of ten
# notes cycling through 13 names and 7 durations, as many as fit in 63,000 bytes.
use strict;
use warnings;
no warnings "qw";  # the sharp in D#3 is a note name, not a comment
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
print $score;
