#!/usr/bin/env bash
# Converts the 6502 primes example with vonx -g, assembles it with ca65 -g and
# links it with ld65 --dbgfile: the debug file names primes.7pp, and the lines
# of primes.7pp that hold bytes are exactly those whose statements produce
# code or data (derived by hand from the source).
#   6502.sh VONX RULE_FILE PRIMES.7pp
set -u
vonx=$1
rules=$2
source_file=$3
what=6502
. "$(dirname "$0")/common.sh"

need ca65 ld65
enter_work "$source_file"
convert_with_markers primes
ca65 -g primes.s -o primes.o || fail "ca65 -g rejected primes.s"
ld65 -t sim6502 --dbgfile primes.dbg primes.o sim6502.lib -o primes || fail "ld65 could not link"

id=$(sed -n 's/^file\tid=\([0-9]*\),name="primes.7pp",.*/\1/p' primes.dbg)
[ -n "$id" ] || fail "the debug file names no primes.7pp: $(grep '^file' primes.dbg)"
actual=$(sed -n "s/^line\tid=[0-9]*,file=$id,line=\([0-9]*\),type=1,span=.*/\1/p" primes.dbg |
  sort -n | tr '\n' ' ')
# The .res lines (9 to 14) reserve bytes. No "}" holds code: the jump back of a
# loop stands at its header line (20, 23, 26, 70, 80), the do loop's test at its
# "} while" (63), and "do {" (60) is a label only.
expected="9 10 11 14 18 19 20 21 23 24 25 26 27 29 30 33 34 36 37 \
39 40 41 42 43 44 45 46 47 48 49 50 51 52 57 58 59 61 62 63 64 65 66 67 68 69 70 71 72 \
74 75 76 77 78 79 80 81 82 84 85 86 87 89 90 91 92 93 94 99 100 101 102 103 104 "
[ "$actual" = "$expected" ] || fail "lines with bytes: $actual; expected: $expected"
echo "line markers (6502): the debug file names primes.7pp and its lines"
