#!/usr/bin/env bash
# Drives vonx under a pseudo-terminal (util-linux "script"): with a UTF-8
# locale the message is shown as readable UTF-8; with the "C" locale on the
# terminal, and through a pipe, it stays code page 932 bytes.
#   terminal.sh VONX
# Exits with 77 (registered as the skip code) when "script" is missing.
set -u
vonx=$1
command -v script >/dev/null || { echo "skipped: script (util-linux) is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$vonx" "$work/vonx"  # no config.txt beside it: the not-found message, then a wait
cd "$work" || exit 1

readable="config.txtが見つかりません。"
cp932=$(printf '%s' "$readable" | iconv -f UTF-8 -t CP932)
failed=0
# Runs vonx on a terminal with the given locale; the typed "x" ends the wait.
on_terminal() { printf 'x\n' | LC_ALL=$1 timeout 20 script -qec "./vonx prog.7pp" /dev/null; }

on_terminal C.UTF-8 >utf8.txt
grep -q -F "$readable" utf8.txt || { echo "UTF-8 terminal: no readable message in:"; cat -v utf8.txt; failed=1; }
on_terminal C >c.txt
LC_ALL=C grep -q -F "$cp932" c.txt || { echo "C terminal: no code page 932 message in:"; cat -v c.txt; failed=1; }
LC_ALL=C.UTF-8 ./vonx prog.7pp </dev/null >piped.txt
printf '%s\n' "$cp932" | cmp -s - piped.txt || { echo "pipe: not the code page 932 line:"; cat -v piped.txt; failed=1; }
exit $failed
