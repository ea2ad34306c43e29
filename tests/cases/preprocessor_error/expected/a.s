  nop
