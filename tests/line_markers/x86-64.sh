#!/usr/bin/env bash
# Converts x86-64 sources with vonx -g, builds them with gcc -g and checks that
# gdb steps through the .7pp lines (and those of an included file) in the order
# the program runs them, and that as reports an error at the .7pp line.
#   x86-64.sh VONX RULE_FILE GCD_EXAMPLE.7pp
# The sequences below are derived by hand from the sources: gcd(48, 18) runs its
# while loop three times; steps.7pp calls twice() of twice.inc for rbx = 0, 1, 2.
set -u
vonx=$1
rules=$2
gcd_source=$3
here=$(cd "$(dirname "$0")" && pwd)
what=x86-64
. "$here/common.sh"

need gcc as gdb
enter_work "$gcd_source" "$here/steps.7pp" "$here/twice.inc" "$here/wrong.7pp"
for name in gcd steps wrong; do convert_with_markers "$name"; done

# Runs the program under gdb: a breakpoint at BREAK, then COUNT times COMMAND
# (next or step); prints the file (without folder) and line of every stop.
stops() {
  local program=$1 break_at=$2 command=$3 count=$4
  cat >gdb.commands <<EOF
set debuginfod enabled off
break $break_at
run
python
import os
for _ in range($count):
    gdb.execute("$command", to_string=True)
    where = gdb.selected_frame().find_sal()
    print("stop %s:%d" % (os.path.basename(where.symtab.filename), where.line))
end
kill
EOF
  gdb -batch -x gdb.commands "./$program" </dev/null 2>&1 | sed -n 's/^stop //p' | tr '\n' ' '
}

gcc -g gcd.s -o gcd || fail "gcc -g rejected gcd.s"
# The jump back and the test of the while loop stand at its line 20; after the
# third pass the loop ends, return (27) goes back to main after the call (41).
expected="gcd.7pp:22 gcd.7pp:23 gcd.7pp:24 gcd.7pp:25 gcd.7pp:20 gcd.7pp:21 gcd.7pp:22 \
gcd.7pp:23 gcd.7pp:24 gcd.7pp:25 gcd.7pp:20 gcd.7pp:21 gcd.7pp:22 gcd.7pp:23 gcd.7pp:24 \
gcd.7pp:25 gcd.7pp:20 gcd.7pp:27 gcd.7pp:41 gcd.7pp:42 "
actual=$(stops gcd gcd.7pp:21 next 20)
[ "$actual" = "$expected" ] || fail "gdb stepped gcd.7pp as $actual, expected $expected"

gcc -g steps.s -o steps || fail "gcc -g rejected steps.s"
# step goes into twice() (twice.inc lines 3 and 4) and back; the increment and
# test of the for loop stand at its line 12.
expected="steps.7pp:14 twice.inc:3 twice.inc:4 steps.7pp:15 steps.7pp:12 steps.7pp:13 \
steps.7pp:14 twice.inc:3 twice.inc:4 steps.7pp:15 steps.7pp:12 steps.7pp:13 steps.7pp:14 "
actual=$(stops steps steps.7pp:13 step 13)
[ "$actual" = "$expected" ] || fail "gdb stepped steps.7pp as $actual, expected $expected"

# The wrong instruction stands at line 8 of wrong.7pp and is the only error.
as wrong.s -o wrong.o 2>as.log && fail "as accepted wrong.s"
grep -q "^wrong.7pp:8: Error: no such instruction" as.log || fail "as reported: $(cat as.log)"
[ "$(grep -c Error as.log)" = 1 ] || fail "as reported more than one error: $(cat as.log)"
echo "line markers (x86-64): gdb steps the .7pp lines, includes too; as names wrong.7pp:8"
