out.s: sub/part.inc config.txt

sub/part.inc:

config.txt:
