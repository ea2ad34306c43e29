#!/usr/bin/env bash
# Runs one end-to-end case: tests/cases/NAME/ holds the input files (config.txt,
# sources, include files, folders), and
#   case.args     the command-line words, one per line (may be absent: no words)
#   case.console  the exact console bytes (code page 932); "@RUN@" stands for
#                 the absolute path of the run folder
#   case.status   the exit status
#   case.program  optional: where the program is placed, relative to the run
#                 folder (default "vonx"); it runs from the run folder
#   case.stderr   optional: the exact standard error text (UTF-8), "@RUN@" as
#                 above; without it standard error must stay empty
#   case.readonly optional: paths, one per line, relative to the run folder, that
#                 this user may not write during the run (made immutable, or read
#                 only where that is enough; the case is skipped, status 77, where
#                 neither denies this user); "Operation not permitted" on
#                 standard error is then compared as "Permission denied"
#   expected/     every file the run must create or change, byte for byte
#   case.removed  optional: paths, one per line, relative to the run folder, of
#                 input files that the run must remove
#   case.stdin    optional: the bytes given on standard input (otherwise it is closed)
#   case.note     optional: remarks for the reader (not read by the runner)
#   case.console.windows  optional: the console bytes of the Windows program
#                 where they differ (a path put into a message in code page 932)
#   case.linux-only  optional: why the case holds on Linux only; the Windows
#                 program skips it (exit status 77)
# With VONX_LAUNCHER set (the Windows program under wine) the program runs as
# "$VONX_LAUNCHER ./PROGRAM".
# Inputs may be symbolic links (to shipped examples); they are copied as the files
# they point to. The case runs in a fresh folder, with standard input closed unless
# case.stdin gives it. Every input file
# that is not under expected/ must be left unchanged, and nothing else may appear,
# change or vanish, neither in the run folder nor in the two folders above it.
set -u
program=$1
case_dir=$2
name=$(basename "$case_dir")
launcher=${VONX_LAUNCHER:-}
console_file=$case_dir/case.console
if [ -n "$launcher" ]; then
  if [ -f "$case_dir/case.linux-only" ]; then
    echo "case $name: skipped for the Windows program: $(cat "$case_dir/case.linux-only")"
    exit 77
  fi
  [ -f "$case_dir/case.console.windows" ] && console_file=$case_dir/case.console.windows
fi

scratch=$(mktemp -d)
watched="$scratch/watched"
run="$watched/above/run"
mkdir -p "$run"
readonly_paths=()
[ -f "$case_dir/case.readonly" ] && mapfile -t readonly_paths <"$case_dir/case.readonly"
writable_again() {
  for path in "${readonly_paths[@]}"; do
    chattr -i "$run/$path" 2>/dev/null
    chmod u+w "$run/$path" 2>/dev/null
  done
}
trap 'writable_again; rm -rf "$scratch"' EXIT

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

# Every entry of the watched folders, by path (the run folder is above/run): files
# with their checksum, folders and other entries with their kind.
snapshot() {
  (cd "$watched" && find . ! -path . ! -path "./above/run/$program_name" -print0 | sort -z |
    while IFS= read -r -d '' entry; do
      rel=${entry#./}
      if [ -f "$entry" ] && [ ! -L "$entry" ]; then
        echo "$(sha256sum <"$entry" | cut -d' ' -f1)  $rel"
      elif [ -d "$entry" ] && [ ! -L "$entry" ]; then
        echo "folder  $rel"
      else
        echo "other  $rel"
      fi
    done)
}

for path in "${readonly_paths[@]}"; do
  chattr +i "$run/$path" 2>/dev/null || chmod a-w "$run/$path"
  probe="$run/$path"
  [ -d "$probe" ] && probe="$probe/.probe"
  if (: >>"$probe") 2>/dev/null; then
    [ -d "$run/$path" ] && rm -f "$probe"
    echo "case $name: skipped: $path stays writable for this user (neither immutable nor read only)"
    exit 77
  fi
done
snapshot >"$scratch/before"

args=()
[ -f "$case_dir/case.args" ] && mapfile -t args <"$case_dir/case.args"
if [ -f "$case_dir/case.stdin" ]; then
  (cd "$run" && exec $launcher "./$program_name" "${args[@]}" >"$scratch/stdout" 2>"$scratch/stderr" <"$case_dir/case.stdin")
else
  (cd "$run" && exec $launcher "./$program_name" "${args[@]}" >"$scratch/stdout" 2>"$scratch/stderr" <&-)
fi
status=$?
# Paths of the run folder are shown as @RUN@ so that the expected text is fixed.
LC_ALL=C sed -i "s|$run|@RUN@|g" "$scratch/stdout" "$scratch/stderr"
if [ -n "$launcher" ]; then
  # The Windows program names the run folder as wine shows it ("Z:\tmp\...\run");
  # a path under it is compared in its POSIX form.
  windows_run=$(printf 'Z:%s' "$run" | tr / '\\' | sed 's/\\/\\\\/g')
  LC_ALL=C sed -i "s|$windows_run\\\\|@RUN@/|g; s|$windows_run|@RUN@|g" "$scratch/stderr"
fi
# An immutable file refuses with EPERM where a read-only one refuses with EACCES.
[ ${#readonly_paths[@]} -gt 0 ] && sed -i "s|: Operation not permitted$|: Permission denied|" "$scratch/stderr"

failed=0
fail() { echo "case $name: $*"; failed=1; }

expected_status=$(cat "$case_dir/case.status")
[ "$status" = "$expected_status" ] || fail "exit status $status, expected $expected_status"

if ! cmp -s "$scratch/stdout" "$console_file"; then
  fail "console text differs (expected, then actual; shown as UTF-8):"
  diff <(iconv -c -f CP932 -t UTF-8 "$console_file") \
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
    # Windows drops the "." that ends a file name: "prog." is written as "prog".
    [ -n "$launcher" ] && rel=${rel%.}
    if [ ! -f "$run/$rel" ]; then
      fail "missing output file $rel"
    elif ! cmp -s "$file" "$run/$rel"; then
      fail "output file $rel differs (expected, then actual):"
      diff <(iconv -c -f CP932 -t UTF-8 "$file") <(iconv -c -f CP932 -t UTF-8 "$run/$rel") | head -n 40
    fi
  done < <(find "$case_dir/expected" -type f -print0)
fi

# Every file the run must remove is gone.
removed_paths=()
[ -f "$case_dir/case.removed" ] && mapfile -t removed_paths <"$case_dir/case.removed"
for path in "${removed_paths[@]}"; do
  [ -e "$run/$path" ] && fail "$path was not removed"
done
removed() {
  local path
  for path in "${removed_paths[@]}"; do [ "$1" = "above/run/$path" ] && return 0; done
  return 1
}

# Nothing else may change: inputs stay as they were, nothing appears or vanishes.
snapshot >"$scratch/after"
while IFS= read -r entry; do
  path=${entry#*  }
  [ -f "$case_dir/expected/${path#above/run/}" ] && continue
  # The Windows program writes an expected "prog." as "prog" (see above).
  [ -n "$launcher" ] && [ -f "$case_dir/expected/${path#above/run/}." ] && continue
  grep -q -x -F "$entry" "$scratch/before" || fail "unexpected new or changed entry $path"
done <"$scratch/after"
while IFS= read -r entry; do
  path=${entry#*  }
  grep -q -x -F "$entry" "$scratch/after" || [ -f "$case_dir/expected/${path#above/run/}" ] ||
    removed "$path" || fail "entry $path was removed or changed"
done <"$scratch/before"

exit $failed
