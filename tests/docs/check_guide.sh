#!/usr/bin/env bash
# Converts every example of the user's guide and compares the result with the
# text the guide shows, so that the guide cannot drift from the program.
#   check_guide.sh VONX DOCUMENT.md...
# The documents mark their examples with fenced blocks (the guide's own
# "How the examples are checked" says the same for its readers):
#   ```config NAME     a rule file, used by every later example that names it
#                      (in any document given after the one that defines it)
#   ```file NAME       a further file (an included file) beside the next source
#   ```7pp RULES [WORD...]
#                      a source, converted as prog.7pp with the rule file RULES
#                      as config.txt: vonx --no-wait [WORD...] prog.7pp; a
#                      RULES that holds a "/" is a file of the project (its path
#                      from the project folder), such as examples/6502/config.txt
#   ```asm [NAME]      the output file, byte for byte (its name, when given); it
#                      must be the only file the run writes
#   ```console [status=N]
#                      standard output without the progress dots, byte for
#                      byte (the guide shows it as UTF-8, the program prints
#                      code page 932), and the exit status when given
# A source is followed by an asm block, a console block or both. Without an asm
# block the run must write no file; without a console block it must print
# nothing and end with status 0. Blocks of any other kind are not run.
# With VONX_LAUNCHER set (the Windows program under wine) the program runs as
# "$VONX_LAUNCHER ./vonx".
set -u
vonx=$1
shift
project=$(cd "$(dirname "$0")/../.." && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Splits the documents into numbered block files: each block's first line is
# "KIND WORD..." (DOCUMENT:LINE for the messages), the rest its text.
awk -v out="$work/blocks" '
  BEGIN { n = 0; inside = 0; system("mkdir -p \"" out "\"") }
  FNR == 1 { doc = FILENAME; sub(/.*\//, "", doc) }
  inside && /^```[ \t]*$/ { inside = 0; close(file); next }
  inside { print > file; next }
  /^```(7pp|config|file|asm|console)([ \t].*)?$/ {
    n++; inside = 1
    file = sprintf("%s/%04d", out, n)
    info = substr($0, 4)
    printf "%s %s:%d\n", info, doc, FNR > file
    next
  }
  END { if (inside) { print "unclosed block in " doc > "/dev/stderr"; exit 1 } }
' "$@" || exit 1

passed=0 failed=0
fail() { echo "$where: $*"; example_failed=1; }

# The block's text in code page 932, as vonx reads and writes it.
block_text() { tail -n +2 "$1" | iconv -f UTF-8 -t CP932; }

declare -A rules=()
pending_files=()
blocks=("$work"/blocks/*)
count=${#blocks[@]}
i=0
while [ $i -lt "$count" ]; do
  block=${blocks[$i]}
  read -r -a head <"$block"
  kind=${head[0]}
  where=${head[-1]}
  i=$((i + 1))
  case "$kind" in
    config)
      rules[${head[1]}]=$block
      continue ;;
    file)
      pending_files+=("$block")
      continue ;;
    asm | console)
      echo "$where: an $kind block without a source before it"
      failed=$((failed + 1))
      continue ;;
  esac

  # A source: its expectations are the asm and console blocks after it.
  if [ ${#head[@]} -lt 3 ]; then
    echo "$where: a source without the name of its rule file"
    failed=$((failed + 1))
    continue
  fi
  example_failed=0
  rule_name=${head[1]}
  words=("${head[@]:2:${#head[@]}-3}")
  expected_output="" output_name="" expected_console="" expected_status=""
  while [ $i -lt "$count" ]; do
    read -r -a next <"${blocks[$i]}"
    case "${next[0]}" in
      asm)
        expected_output=${blocks[$i]}
        [ ${#next[@]} -gt 2 ] && output_name=${next[1]} ;;
      console)
        expected_console=${blocks[$i]}
        for word in "${next[@]:1:${#next[@]}-2}"; do
          case "$word" in status=*) expected_status=${word#status=} ;; esac
        done ;;
      *) break ;;
    esac
    i=$((i + 1))
  done
  if [ -z "$expected_output" ] && [ -z "$expected_console" ]; then
    fail "a source without an asm or console block after it"
    pending_files=()
    failed=$((failed + 1))
    continue
  fi
  if [[ "$rule_name" == */* ]] && [ -f "$project/$rule_name" ]; then
    rule_file=$project/$rule_name
  elif [ -n "${rules[$rule_name]:-}" ]; then
    rule_file=""
  else
    fail "no rule file named \"$rule_name\" before this source"
    pending_files=()
    failed=$((failed + 1))
    continue
  fi

  run="$work/run"
  rm -rf "$run"
  mkdir -p "$run"
  cp "$vonx" "$run/vonx"
  if [ -n "$rule_file" ]; then
    cp "$rule_file" "$run/config.txt"
  else
    block_text "${rules[$rule_name]}" >"$run/config.txt"
  fi
  block_text "$block" >"$run/prog.7pp"
  inputs=(vonx config.txt prog.7pp)
  for file in "${pending_files[@]}"; do
    read -r -a file_head <"$file"
    block_text "$file" >"$run/${file_head[1]}"
    inputs+=("${file_head[1]}")
  done
  pending_files=()

  (cd "$run" && exec ${VONX_LAUNCHER:-} ./vonx --no-wait "${words[@]}" prog.7pp \
      >"$work/console" 2>"$work/stderr" <&-)
  status=$?
  # The progress dots go (-q would take the messages too): a line of dots alone,
  # and the dots that stand before a message printed in the middle of a phase.
  LC_ALL=C awk '/^\.+$/ { next } { sub(/^\.+/, ""); print }' "$work/console" >"$work/stdout"

  if [ -n "$expected_console" ]; then
    if ! cmp -s "$work/stdout" <(block_text "$expected_console"); then
      fail "standard output differs (expected, then actual):"
      diff <(tail -n +2 "$expected_console") <(iconv -c -f CP932 -t UTF-8 "$work/stdout")
    fi
    if [ -n "$expected_status" ] && [ "$status" != "$expected_status" ]; then
      fail "exit status $status, expected $expected_status"
    fi
  else
    [ -s "$work/stdout" ] &&
      fail "unexpected output: $(iconv -c -f CP932 -t UTF-8 "$work/stdout")"
    [ "$status" = 0 ] || fail "exit status $status: $(cat "$work/stderr")"
  fi

  written=()
  for entry in "$run"/*; do
    name=$(basename "$entry")
    [[ " ${inputs[*]} " == *" $name "* ]] || written+=("$name")
  done
  if [ -n "$expected_output" ]; then
    if [ ${#written[@]} -ne 1 ]; then
      fail "expected one output file, found: ${written[*]}"
    else
      actual=${written[0]}
      # Windows drops the "." that ends a file name.
      if [ -n "$output_name" ] && [ "$actual" != "$output_name" ] &&
         { [ -z "${VONX_LAUNCHER:-}" ] || [ "$actual." != "$output_name" ]; }; then
        fail "the output file is $actual, expected $output_name"
      fi
      if ! cmp -s "$run/$actual" <(block_text "$expected_output"); then
        fail "output file differs (expected, then actual):"
        diff <(tail -n +2 "$expected_output") <(iconv -c -f CP932 -t UTF-8 "$run/$actual")
      fi
    fi
  elif [ ${#written[@]} -ne 0 ]; then
    fail "no output file expected, found: ${written[*]}"
  fi
  if [ $example_failed = 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done

[ $((passed + failed)) -gt 0 ] || { echo "no example found"; exit 1; }
echo "guide examples: $passed passed, $failed failed"
[ $failed = 0 ]
