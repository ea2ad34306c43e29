#!/usr/bin/env bash
# Converts a source with vonx -g for a GNU as target, assembles it with that
# target's as -g, and checks that the object's line table (objdump
# --dwarf=decodedline) names the source and lists exactly the expected source
# lines: those whose statements produce instructions, derived by hand.
#   gas_lines.sh VONX RULE_FILE SOURCE.7pp AS OBJDUMP "LINE LINE ..."
# No debugger is needed, so it serves targets that run only under emulation.
set -u
vonx=$1 rules=$2 source_file=$3 as=$4 objdump=$5 expected=$6
name=$(basename "$source_file" .7pp)
what="$name, $as"
. "$(dirname "$0")/common.sh"

need "$as" "$objdump"
enter_work "$source_file"
convert_with_markers "$name"
"$as" -g "$name.s" -o "$name.o" || fail "$as -g rejected $name.s"
actual=$("$objdump" --dwarf=decodedline "$name.o" | awk -v file="$name.7pp" '$1 == file && $2 ~ /^[0-9]+$/ { print $2 }' |
  sort -n -u | tr '\n' ' ')
[ "$actual" = "$expected " ] || fail "the line table lists $name.7pp lines: $actual; expected: $expected"
echo "line markers ($name, $as): the line table lists the expected $name.7pp lines"
