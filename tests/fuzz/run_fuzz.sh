#!/usr/bin/env bash
# Builds the fuzz target (clang++, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs it. Usage:
#   tests/fuzz/run_fuzz.sh [--seconds N] [--corpus DIR] [--build DIR] [-- libFuzzer options]
# --seconds   how long to fuzz (default 120)
# --corpus    a folder that keeps what the run finds; it is seeded from the cases
#             and examples on every run (default: a temporary folder, dropped at the end)
# --build     the build folder of the fuzz configuration (default build-fuzz)
# --small-limit  every run with the small work limit (by default one run in eight
#             has the program's own, which a rule that feeds itself needs about
#             10 s to reach under the sanitizers)
# Any run fails on a crash, a sanitizer report, one input that takes over 10 s or a
# process that grows past 2 GB; the input that did it is kept under the build folder
# (fuzz-artifacts/TIME/) and printed in base64.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=120
corpus=""
build="$root/build-fuzz"
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --corpus) corpus=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --small-limit) export VONX_FUZZ_SMALL_LIMIT=1; shift ;;
    --) shift; break ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DVONX_FUZZ=ON \
  -DVONX_TESTS=OFF -DVONX_SANITIZED_COPY=OFF >/dev/null
cmake --build "$build" --target convert_fuzzer

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ -z "$corpus" ]; then corpus="$scratch/corpus"; fi
mkdir -p "$corpus"

# Seeds: every rule file with every source beside it, in the target's input form
# (config.txt, the line "=== prog.7pp ===", the source).
# With a third argument, the seed first holds option words, one a line.
seed() {
  local config=$1 source=$2 options=${3:-} name
  {
    [ -n "$options" ] && printf '=== options ===\n%s=== config.txt ===\n' "$options"
    cat "$config" <(printf '\n=== prog.7pp ===\n') "$source"
  } >"$scratch/seed"
  name="seed-$(sha1sum <"$scratch/seed" | cut -c1-16)"
  mv "$scratch/seed" "$corpus/$name"
}
options_seed=$'-q\n-g\n-O\n-D\nN=3\n-DFLAG\n-I\ninc\n-o\nout.s\n-MD\n'
for dir in "$root"/examples/*/; do
  [ -f "$dir/config.txt" ] || continue
  for source in "$dir"*.7pp; do [ -f "$source" ] && seed "$dir/config.txt" "$source" "$options_seed"; done
done
for dir in "$root"/tests/cases/*/ "$root"/examples/*/; do
  [ -f "$dir/config.txt" ] || continue
  for source in "$dir"*.7pp; do [ -f "$source" ] && seed "$dir/config.txt" "$source"; done
done
seed "$root/examples/x86-64/config.txt" "$root/tests/examples/x86-64-rules/rules.7pp"
seed "$root/examples/6502/config.txt" "$root/tests/examples/6502-rules/rules.7pp"

artifacts="$build/fuzz-artifacts/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$artifacts"
status=0
"$build/tests/fuzz/convert_fuzzer" "$corpus" \
  -dict="$root/tests/fuzz/vonx.dict" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=2048 -artifact_prefix="$artifacts/" -print_final_stats=1 "$@" || status=$?
if [ $status -ne 0 ]; then
  for found in "$artifacts"/*; do
    [ -f "$found" ] || continue
    echo "input that failed: $found (base64):"
    base64 "$found"
  done
fi
exit $status
