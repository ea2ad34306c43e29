  nop
  ret
