#!/usr/bin/env bash
# Runs one end-to-end case: tests/cases/NAME/ holds the input files (config.txt,
# sources, include files, folders), and
#   case.args     the command-line words, one per line (may be absent: no words)
#   case.console  the exact console bytes (code page 932); "@RUN@" stands for
#                 the absolute path of the run folder
#   case.status   the exit status
#   case.stderr   optional: the exact standard error text (UTF-8), "@RUN@" as
#                 above; without it standard error must stay empty
#   case.program  optional: where the program is placed, relative to the run
#                 folder (default "vonx"); it runs from the run folder
#   expected/     every file the run must create or change, byte for byte
#   case.note     optional: remarks for the reader (not read by the runner)
# Inputs may be symbolic links (to shipped examples); they are copied as the files
# they point to. The case runs in a fresh folder with standard input closed. Every input file
# that is not under expected/ must be left unchanged, and no other file may appear.
set -u
program=$1
case_dir=$2
name=$(basename "$case_dir")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
run="$scratch/run"
mkdir "$run"

for entry in "$case_dir"/* "$case_dir"/.[!.]*; do
  [ -e "$entry" ] || continue
  base=$(basename "$entry")
  case "$base" in case.* | expected) continue ;; esac
  cp -RL "$entry" "$run/"
done

program_name=vonx
[ -f "$case_dir/case.program" ] && program_name=$(head -n 1 "$case_dir/case.program")
mkdir -p "$(dirname "$run/$program_name")"
cp "$program" "$run/$program_name"

snapshot() { (cd "$run" && find . -type f ! -path "./$program_name" -print0 | sort -z | xargs -0 -r sha256sum); }
snapshot >"$scratch/before"

args=()
[ -f "$case_dir/case.args" ] && mapfile -t args <"$case_dir/case.args"
(cd "$run" && exec "./$program_name" "${args[@]}" >"$scratch/stdout" 2>"$scratch/stderr" <&-)
status=$?
# Paths of the run folder are shown as @RUN@ so that the expected text is fixed.
LC_ALL=C sed -i "s|$run|@RUN@|g" "$scratch/stdout" "$scratch/stderr"

failed=0
fail() { echo "case $name: $*"; failed=1; }

expected_status=$(cat "$case_dir/case.status")
[ "$status" = "$expected_status" ] || fail "exit status $status, expected $expected_status"

if ! cmp -s "$scratch/stdout" "$case_dir/case.console"; then
  fail "console text differs (expected, then actual; shown as UTF-8):"
  diff <(iconv -c -f CP932 -t UTF-8 "$case_dir/case.console") \
       <(iconv -c -f CP932 -t UTF-8 "$scratch/stdout") | head -n 40
fi
if [ -f "$case_dir/case.stderr" ]; then
  if ! cmp -s "$scratch/stderr" "$case_dir/case.stderr"; then
    fail "standard error differs (expected, then actual):"
    diff "$case_dir/case.stderr" "$scratch/stderr" | head -n 40
  fi
elif [ -s "$scratch/stderr" ]; then
  fail "standard error is not empty:"
  head -n 40 "$scratch/stderr"
fi

# Every expected file, byte for byte.
if [ -d "$case_dir/expected" ]; then
  while IFS= read -r -d '' file; do
    rel=${file#"$case_dir/expected/"}
    if [ ! -f "$run/$rel" ]; then
      fail "missing output file $rel"
    elif ! cmp -s "$file" "$run/$rel"; then
      fail "output file $rel differs (expected, then actual):"
      diff <(iconv -c -f CP932 -t UTF-8 "$file") <(iconv -c -f CP932 -t UTF-8 "$run/$rel") | head -n 40
    fi
  done < <(find "$case_dir/expected" -type f -print0)
fi

# Nothing else may change: inputs stay as they were, no other file appears.
snapshot >"$scratch/after"
while read -r sum path; do
  [ -f "$case_dir/expected/${path#./}" ] && continue
  grep -q -x -F "$sum  $path" "$scratch/before" || fail "unexpected new or changed file ${path#./}"
done <"$scratch/after"
while read -r sum path; do
  [ -f "$run/${path#./}" ] || [ -f "$case_dir/expected/${path#./}" ] || fail "input file ${path#./} was removed"
done <"$scratch/before"

exit $failed
