#!/usr/bin/env bash
# Converts one example with vonx and the rule file beside it, assembles, links
# and runs the result for its target, and compares what it prints with the
# example's .expected file (the program must also end with status 0); then the
# same with the jumps tightened (vonx -O).
#   run_example.sh x86-64|6502|aarch64|riscv64 VONX EXAMPLE.7pp
#   x86-64:  GNU as, linked with gcc, run here
#   6502:    cc65's ca65, linked with ld65 for sim6502, run in sim65
#   aarch64, riscv64: the CPU's cross gcc, linked statically, run in qemu-CPU
# Exits with 77 (registered as the skip code) when the target's tools are missing.
set -u
target=$1
vonx=$2
source_file=$3
name=$(basename "$source_file" .7pp)
example_dir=$(dirname "$source_file")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$vonx" "$work/vonx"
cp "$example_dir/config.txt" "$work/config.txt"
cp "$source_file" "$work/"

fail() { echo "$name: $*"; exit 1; }
needs() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$name: skipped: $tool is not installed"; exit 77; }
  done
}
case "$target" in
  6502) needs ca65 ld65 sim65 ;;
  aarch64 | riscv64) needs "$target-linux-gnu-gcc" "qemu-$target" ;;
esac

# Converts, assembles, links and runs with the vonx options given.
convert_and_run() {
  rm -f "$work/$name.s" "$work/$name.o" "$work/$name" "$work/output.txt"
  (cd "$work" && ${VONX_LAUNCHER:-} ./vonx "$@" "$name.7pp" </dev/null >console.txt 2>&1) ||
    fail "vonx $* failed: $(cat "$work/console.txt")"
  # A clean conversion prints only its progress dots.
  if grep -q -v '^\.*$' "$work/console.txt"; then
    fail "vonx $* reported: $(iconv -c -f CP932 -t UTF-8 "$work/console.txt")"
  fi
  case "$target" in
    x86-64)
      as "$work/$name.s" -o "$work/$name.o" || fail "as rejected the converted text ($*)"
      gcc "$work/$name.o" -o "$work/$name" || fail "gcc could not link ($*)"
      timeout 10 "$work/$name" >"$work/output.txt" || fail "the program ended with status $? ($*)"
      ;;
    6502)
      ca65 "$work/$name.s" -o "$work/$name.o" || fail "ca65 rejected the converted text ($*)"
      ld65 -t sim6502 "$work/$name.o" sim6502.lib -o "$work/$name" || fail "ld65 could not link ($*)"
      timeout 20 sim65 "$work/$name" >"$work/output.txt" || fail "the program ended with status $? ($*)"
      ;;
    aarch64 | riscv64)
      "$target-linux-gnu-gcc" -static "$work/$name.s" -o "$work/$name" ||
        fail "$target-linux-gnu-gcc rejected the converted text ($*)"
      timeout 20 "qemu-$target" "$work/$name" >"$work/output.txt" ||
        fail "the program ended with status $? ($*)"
      ;;
    *) fail "unknown target $target" ;;
  esac
  diff -u "$example_dir/$name.expected" "$work/output.txt" || fail "output differs ($*)"
}

convert_and_run
convert_and_run -O
echo "$name: converted (also with -O), assembled, linked, ran ($target) and printed the expected text"
