.cpu v
nop
