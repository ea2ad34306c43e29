.cpu x
nop
