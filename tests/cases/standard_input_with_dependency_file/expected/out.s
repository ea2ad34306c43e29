nop 1
nop
