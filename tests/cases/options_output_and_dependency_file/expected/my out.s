defs
deep
lib
nop
