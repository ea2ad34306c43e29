nop 3
