#!/usr/bin/env bash
# An interrupted conversion leaves no temporary file: vonx converts a source
# whose output is tens of megabytes, and SIGTERM, SIGINT or SIGHUP ends it at
# points spread over the run. Each run must end with status 0 (it finished
# first) or with the signal's own status (128 + its number), leave nothing but
# the output beside the source, and the output, when there is one, must be
# whole. Plain build only: the timing of the sanitized one says nothing more.
set -u
program=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$program" "$scratch/vonx"
printf '.cpu x\n#nop:nop\n#\n#file=s\n' >"$scratch/config.txt"
{
  printf '.cpu x\n#define W %s\n#define A W W W W W W W W W W\n' "$(printf 'w%.0s' {1..200})"
  for ((i = 0; i < 2000; i++)); do echo "db A A A A A"; done
} >"$scratch/prog.7pp"

# A background job of a script ignores SIGINT unless its action is set back.
run() { perl -e '$SIG{INT} = "DEFAULT"; exec @ARGV' ./vonx -q --no-wait prog.7pp <&- >/dev/null 2>&1; }

cd "$scratch" || exit 1
start=$(date +%s%N)
run
[ $? = 0 ] || { echo "the conversion itself failed"; exit 1; }
took=$((($(date +%s%N) - start) / 1000000))
whole=$(sha256sum <prog.s)
echo "one conversion: $took ms, $(stat -c %s prog.s) bytes of output"

failed=0
killed=0
for signal in TERM INT HUP; do
  for step in 1 2 3 4 5 6 7 8; do
    rm -f prog.s
    run &
    pid=$!
    sleep "$(awk -v ms="$took" -v step="$step" 'BEGIN { printf "%.3f", ms * step / 8 / 1000 }')"
    kill -s "$signal" "$pid" 2>/dev/null
    wait "$pid"
    status=$?
    expected=$((128 + $(kill -l "$signal")))
    if [ "$status" = "$expected" ]; then
      killed=$((killed + 1))
    elif [ "$status" != 0 ]; then
      echo "SIG$signal at step $step: status $status, expected 0 or $expected"
      failed=1
    fi
    left=$(ls -A | grep -v -x -e vonx -e config.txt -e prog.7pp -e prog.s)
    [ -z "$left" ] || { echo "SIG$signal at step $step left: $left"; failed=1; rm -f -- $left; }
    if [ -e prog.s ] && [ "$(sha256sum <prog.s)" != "$whole" ]; then
      echo "SIG$signal at step $step left a partial output"
      failed=1
    fi
  done
done
echo "$killed of 24 runs ended by their signal"
[ "$killed" -gt 0 ] || { echo "no run was ended by a signal"; failed=1; }
exit $failed
