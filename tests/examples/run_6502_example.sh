#!/usr/bin/env bash
# Converts one 6502 example with vonx, assembles it with ca65, links it with
# ld65 for the sim6502 target, runs it in sim65 and compares its output with
# the example's .expected file (the program must also end with status 0).
#   run_6502_example.sh VONX EXAMPLE.7pp
set -u
vonx=$1
source_file=$2
name=$(basename "$source_file" .7pp)
example_dir=$(dirname "$source_file")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$vonx" "$work/vonx"
cp "$example_dir/config.txt" "$work/config.txt"
cp "$source_file" "$work/"

fail() { echo "$name: $*"; exit 1; }

(cd "$work" && ./vonx "$name.7pp" </dev/null >console.txt 2>&1) || fail "vonx failed: $(cat "$work/console.txt")"
# A clean conversion prints only its progress dots.
if grep -q -v '^\.*$' "$work/console.txt"; then
  fail "vonx reported: $(iconv -c -f CP932 -t UTF-8 "$work/console.txt")"
fi
ca65 "$work/$name.s" -o "$work/$name.o" || fail "ca65 rejected the converted text"
ld65 -t sim6502 "$work/$name.o" sim6502.lib -o "$work/$name" || fail "ld65 could not link"
timeout 20 sim65 "$work/$name" >"$work/output.txt" || fail "the program ended with status $?"
diff -u "$example_dir/$name.expected" "$work/output.txt" || fail "output differs"
echo "$name: converted, assembled, linked, ran in sim65 and printed the expected text"
