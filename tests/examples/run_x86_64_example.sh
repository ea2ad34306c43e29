#!/usr/bin/env bash
# Converts one x86-64 example with vonx, assembles it with as, links it with
# gcc, runs it and compares its output with the example's .expected file.
#   run_x86_64_example.sh VONX EXAMPLE.7pp
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
as "$work/$name.s" -o "$work/$name.o" || fail "as rejected the converted text"
gcc "$work/$name.o" -o "$work/$name" || fail "gcc could not link"
timeout 10 "$work/$name" >"$work/output.txt" || fail "the program ended with status $?"
diff -u "$example_dir/$name.expected" "$work/output.txt" || fail "output differs"
echo "$name: converted, assembled, linked, ran and printed the expected text"
