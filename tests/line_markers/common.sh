# What the line-marker checks share; sourced by each after it has set `vonx`,
# `rules` and `what` (the name its messages give the check).

# Ends the check as failed, with what went wrong.
fail() { echo "line markers ($what): $*"; exit 1; }

# Ends the check as skipped (status 77) when one of the tools is not installed.
need() {
  local tool
  for tool; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
}

# Moves into a scratch folder, removed at the end, that holds the rule file as
# config.txt and the given files.
enter_work() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp "$rules" "$work/config.txt"
  cp "$@" "$work/"
  cd "$work" || exit 1
}

# Converts NAME.7pp with -g; the conversion must succeed without a word.
convert_with_markers() {
  local name=$1
  ${VONX_LAUNCHER:-} "$vonx" -g -q --no-wait -r config.txt "$name.7pp" </dev/null >"$name.console" 2>&1 ||
    fail "vonx -g $name.7pp failed: $(cat "$name.console")"
  [ -s "$name.console" ] && fail "vonx -g $name.7pp reported: $(cat "$name.console")"
  return 0
}
