a.s: a.7pp rules/target.txt

rules/target.txt:
