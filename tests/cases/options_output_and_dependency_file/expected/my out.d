my\ out.s: src/prog.7pp src/defs.inc my\ lib/lib.inc my\ lib/deep.inc \
 rules/cost$$.txt

src/defs.inc:

my\ lib/lib.inc:

my\ lib/deep.inc:

rules/cost$$.txt:
