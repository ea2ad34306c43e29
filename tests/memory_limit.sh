#!/usr/bin/env bash
# Out of memory under a small address-space limit: a source includes a file far
# larger than the memory the converter may take. The run must print the two
# memory lines and one error line, end with status 1 and leave no file behind,
# never abort.
# Only for the plain build: a sanitized program cannot start under `ulimit -v`.
set -u
program=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$program" "$scratch/vonx"
printf '.cpu x\n#nop:nop\n#\n' >"$scratch/config.txt"
printf '.cpu x\n#include "huge.inc"\nnop\n' >"$scratch/prog.7pp"
truncate -s 600M "$scratch/huge.inc"  # sparse: no disk is used

(cd "$scratch" && ulimit -v 262144 && exec ./vonx prog.7pp >stdout 2>stderr <&-)
status=$?
expected=$(printf 'メモリの取得に失敗しました。\nマクロの登録件数を減らしてください。\n' | iconv -f UTF-8 -t CP932 | od -An -tx1)
failed=0
[ "$status" = 1 ] || { echo "exit status $status, expected 1"; failed=1; }
[ "$(od -An -tx1 <"$scratch/stdout")" = "$expected" ] ||
  { echo "console text differs:"; iconv -c -f CP932 -t UTF-8 "$scratch/stdout" | head; failed=1; }
[ "$(cat "$scratch/stderr")" = "vonx: error: out of memory; the conversion was given up" ] ||
  { echo "standard error differs:"; head "$scratch/stderr"; failed=1; }
left=$(cd "$scratch" && ls -A | grep -v -x -e vonx -e config.txt -e prog.7pp -e huge.inc -e stdout -e stderr)
[ -z "$left" ] || { echo "files left behind: $left"; failed=1; }
exit $failed
