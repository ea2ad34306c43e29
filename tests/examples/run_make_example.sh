#!/usr/bin/env bash
# Builds examples/make with make in a scratch copy and checks what make relies on:
# a fresh build runs and prints the expected text, a second make has nothing to
# do, a newer included file rebuilds the one source that includes it, and a
# failed conversion stops make with a non-zero status and leaves no target.
#   run_make_example.sh VONX EXAMPLE_DIR RULE_FILE
set -u
vonx=$1
example_dir=$2
rules=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$example_dir"/. "$work/"
# The rule file is a prerequisite too: a copy, so that its time can be set.
cp "$rules" "$work/rules.txt"
rules=$work/rules.txt
fail() { echo "make example: $*"; exit 1; }
build() { make -C "$work" VONX="$vonx" RULES="$rules" "$@" </dev/null >"$work/make.log" 2>&1; }

build || fail "the fresh build failed: $(cat "$work/make.log")"
timeout 10 "$work/sums" >"$work/output.txt" || fail "the program ended with status $?"
diff -u "$example_dir/sums.expected" "$work/output.txt" || fail "output differs"
build -q || fail "not up to date right after a build"

# Every file an hour old, then the included file changed now: no clock tick needed.
find "$work" -type f -exec touch -d '1 hour ago' {} +
touch "$work/numbers.inc"
build || fail "the rebuild failed: $(cat "$work/make.log")"
grep -q -- '-o main.s main.7pp' "$work/make.log" || fail "main.s was not rebuilt: $(cat "$work/make.log")"
grep -q -- 'sum.7pp' "$work/make.log" && fail "sum.s was rebuilt though nothing it uses changed"

echo '#error stop here' >>"$work/numbers.inc"
build && fail "make succeeded with a failing conversion"
[ -e "$work/main.s" ] && fail "the failed conversion left main.s behind"
echo "make example: built, ran, rebuilt after an include changed, stopped on an error"
