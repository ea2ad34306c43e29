#!/usr/bin/env bash
# Converts a source with the rule file of an example and compares the result
# byte for byte with a text written by hand from what the rules say.
#   check_conversion.sh VONX CONFIG SOURCE.7pp EXPECTED
set -u
vonx=$1 config=$2 source_file=$3 expected=$4
name=$(basename "$source_file" .7pp)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$vonx" "$work/vonx"
cp "$config" "$work/config.txt"
cp "$source_file" "$work/"
(cd "$work" && ${VONX_LAUNCHER:-} ./vonx "$name.7pp" </dev/null >console.txt 2>&1) || { echo "vonx failed"; exit 1; }
if grep -q -v '^\.*$' "$work/console.txt"; then
  echo "vonx reported:"; iconv -c -f CP932 -t UTF-8 "$work/console.txt"; exit 1
fi
output=$(ls "$work" | grep -v -x -e vonx -e config.txt -e console.txt -e "$name.7pp")
[ "$(echo "$output" | wc -l)" = 1 ] || { echo "expected one output file, found: $output"; exit 1; }
diff -u "$expected" "$work/$output" || exit 1
echo "$name: the conversion matches $(basename "$expected")"
