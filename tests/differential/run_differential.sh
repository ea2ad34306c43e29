#!/usr/bin/env bash
# Differential test: random structured programs, each written once as a .7pp
# function for the rules of one CPU and once as the equivalent C function, are
# converted by vonx, assembled, compiled with gcc (the CPU's cross gcc for
# aarch64 and riscv64), linked together and run (under qemu-aarch64 or
# qemu-riscv64); every function must return the same block-path hash as its C
# twin.
#
#   run_differential.sh [options] SEED...      the given seeds (N or FIRST-LAST)
#   run_differential.sh [options] --random N   N seeds from a random start
#
# Options:
#   --vonx PATH        the converter (default: build/vonx)
#   --generator PATH   the program generator (default: build/tests/differential_generator)
#   --cpu NAME         x86-64 (the default), aarch64 or riscv64
#   --config PATH      the rule file (default: examples/CPU/config.txt)
#   --batch N          functions per converted file (default 100)
#   --all | --avoid=NAME,...   handed to the generator: which constructs to leave out
#                      (by default none; --avoid=default-before-case keeps every
#                      default: last, for instance)
#   --inorder          handed to the generator: programs with .inorder whose
#                      conditions read through a pointer that may be 0, behind
#                      guards that only testing in source order keeps from faulting
#   --optimize         convert with vonx -O (the jumps tightened)
#   --keep DIR         keep the work folders in DIR
#   --shrink           print, for each failing seed, a smaller program that
#                      still disagrees (statements removed one at a time)
#
# Every seed whose programs disagree (or whose conversion, assembly or run
# fails) is printed with both programs and the converted text. The last line
# is "N passed, N failed"; the exit status is 0 only when all seeds pass, 77
# when the CPU's assembler or qemu is not installed.
set -u
repo=$(cd "$(dirname "$0")/../.." && pwd)
vonx=$repo/build/vonx
generator=$repo/build/tests/differential_generator
cpu=x86-64
config=""
batch=100
generator_options=()
vonx_options=()
keep=""
random_count=""
shrink=""
seeds=()

while [ $# -gt 0 ]; do
  case "$1" in
    --vonx) vonx=$2; shift 2 ;;
    --generator) generator=$2; shift 2 ;;
    --cpu) cpu=$2; shift 2 ;;
    --config) config=$2; shift 2 ;;
    --batch) batch=$2; shift 2 ;;
    --all | --avoid=* | --inorder) generator_options+=("$1"); shift ;;
    --optimize) vonx_options+=(-O); shift ;;
    --keep) keep=$2; shift 2 ;;
    --shrink) shrink=1; shift ;;
    --random) random_count=$2; shift 2 ;;
    -h | --help) sed -n '2,32p' "$0"; exit 0 ;;
    *) seeds+=("$1"); shift ;;
  esac
done

# How a converted file and its C twin become a program, and how it runs.
case "$cpu" in
  x86-64) assemble=(as) compile=(gcc) link=(gcc -no-pie) launch=() ;;
  aarch64 | riscv64)
    assemble=("$cpu-linux-gnu-as") compile=("$cpu-linux-gnu-gcc")
    link=("$cpu-linux-gnu-gcc" -static) launch=("qemu-$cpu") ;;
  *) echo "run_differential: unknown CPU $cpu" >&2; exit 2 ;;
esac
for tool in "${assemble[0]}" "${launch[@]}"; do
  command -v "$tool" >/dev/null || { echo "run_differential: skipped: $tool is not installed"; exit 77; }
done
generator_options+=("--cpu=$cpu")
[ -n "$config" ] || config=$repo/examples/$cpu/config.txt

for tool in "$vonx" "$generator" "$config"; do
  [ -f "$tool" ] || { echo "run_differential: $tool not found" >&2; exit 2; }
done

# Expand N and FIRST-LAST into single seeds.
all_seeds=()
if [ -n "$random_count" ]; then
  start=$(( ($(date +%s%N) / 1000 + RANDOM) % 1000000000 + 1000 ))
  echo "random seeds $start-$((start + random_count - 1))"
  for ((s = start; s < start + random_count; s++)); do all_seeds+=("$s"); done
fi
for word in "${seeds[@]}"; do
  if [[ $word =~ ^([0-9]+)-([0-9]+)$ ]]; then
    for ((s = BASH_REMATCH[1]; s <= BASH_REMATCH[2]; s++)); do all_seeds+=("$s"); done
  elif [[ $word =~ ^[0-9]+$ ]]; then
    all_seeds+=("$word")
  else
    echo "run_differential: not a seed: $word" >&2; exit 2
  fi
done
[ ${#all_seeds[@]} -gt 0 ] || { echo "run_differential: no seeds" >&2; exit 2; }

if [ -n "$keep" ]; then
  mkdir -p "$keep"; scratch=$(cd "$keep" && pwd)
else
  scratch=$(mktemp -d); trap 'rm -rf "$scratch"' EXIT
fi

# Builds and runs the seeds given as arguments in folder $1. Prints the
# harness output; returns 0 when every function agreed, 1 on a disagreement,
# 2 when a step before the comparison failed (its message in $1/step.log).
run_batch() {
  local dir=$1; shift
  rm -rf "$dir"; mkdir -p "$dir"
  cp "$vonx" "$dir/vonx"; cp "$config" "$dir/config.txt"
  "$generator" "${generator_options[@]}" "$dir" "$@" >"$dir/step.log" 2>&1 || return 2
  (cd "$dir" && ./vonx "${vonx_options[@]}" programs.7pp </dev/null >vonx.console 2>&1)
  local status=$?
  # A clean conversion prints only its progress dots.
  if [ $status -ne 0 ] || grep -q -v '^\.*$' "$dir/vonx.console"; then
    { echo "vonx exit status $status, console:"; iconv -c -f CP932 -t UTF-8 "$dir/vonx.console" | head -20; } >"$dir/step.log"
    return 2
  fi
  "${assemble[@]}" "$dir/programs.s" -o "$dir/converted.o" >"$dir/step.log" 2>&1 || return 2
  "${compile[@]}" -O1 -w -c "$dir/programs.c" -o "$dir/reference.o" >>"$dir/step.log" 2>&1 || return 2
  "${link[@]}" "$dir/converted.o" "$dir/reference.o" -o "$dir/compare" >>"$dir/step.log" 2>&1 || return 2
  timeout 20 "${launch[@]}" "$dir/compare" >"$dir/compare.out" 2>&1
  status=$?
  cat "$dir/compare.out" >>"$dir/step.log"
  [ $status -eq 0 ] && return 0
  grep -q '^seed ' "$dir/compare.out" && [ $status -eq 1 ] && return 1
  echo "the comparison program ended with status $status" >>"$dir/step.log"
  return 2
}

# Removes statements from the program of seed $1 one at a time, keeping each
# removal after which the programs still disagree; prints the removed numbers.
shrink_seed() {
  local seed=$1 removed="" attempt count
  count=$("$generator" "${generator_options[@]}" --count "$seed")
  for ((i = 0; i < count; i++)); do
    attempt=${removed:+$removed,}$i
    run_batch "$scratch/shrink" "--remove=$attempt" "$seed"
    [ $? -eq 1 ] && removed=$attempt
  done
  echo "$removed"
}

# Prints everything about one failing seed (made smaller first with --shrink).
report_seed() {
  local seed=$1 dir=$scratch/seed-$1 removal=()
  if [ -n "$shrink" ]; then
    local removed
    removed=$(shrink_seed "$seed")
    [ -n "$removed" ] && removal=("--remove=$removed")
  fi
  run_batch "$dir" "${removal[@]}" "$seed"
  echo "=== seed $seed disagrees${removal[*]:+ (shown with $removal)} ==="
  sed -n '/^seed /p;/status/p' "$dir/step.log" | head -20
  [ -s "$dir/step.log" ] && grep -v '^seed \|passed' "$dir/step.log" | head -20
  echo "--- $seed: .7pp source"
  cat "$dir/programs.7pp"
  echo "--- $seed: C source"
  sed -n "/^u64 c_$seed(/,/^}/p" "$dir/programs.c"
  if [ -f "$dir/programs.s" ]; then
    echo "--- $seed: converted"
    cat "$dir/programs.s"
  fi
}

passed=0
failed=0
failing=()
total=${#all_seeds[@]}
for ((first = 0; first < total; first += batch)); do
  part=("${all_seeds[@]:first:batch}")
  dir=$scratch/batch-$first
  run_batch "$dir" "${part[@]}"
  case $? in
    0) passed=$((passed + ${#part[@]})) ;;
    1)
      bad=$(sed -n 's/^seed \([0-9]*\):.*/\1/p' "$dir/compare.out" | sort -un)
      for seed in $bad; do failing+=("$seed"); done
      count=$(echo "$bad" | wc -w)
      failed=$((failed + count)); passed=$((passed + ${#part[@]} - count)) ;;
    *)
      # Something failed before the comparison: find the seeds one by one.
      echo "batch from seed ${part[0]}: $(head -3 "$dir/step.log" | tr '\n' ' ')"
      for seed in "${part[@]}"; do
        if run_batch "$scratch/single" "$seed"; then
          passed=$((passed + 1))
        else
          failing+=("$seed"); failed=$((failed + 1))
        fi
      done ;;
  esac
  rm -rf "$scratch/single"
  [ -n "$keep" ] || rm -rf "$dir"
done

for seed in "${failing[@]}"; do report_seed "$seed"; done
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
