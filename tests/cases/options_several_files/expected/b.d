b.s: b.7pp rules/target.txt

rules/target.txt:
