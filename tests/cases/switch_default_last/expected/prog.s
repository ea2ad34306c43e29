  cmp r,1
  je Llocalcase1
  jmp Lnextcase1
Llocalcase1:
Lcaseor1:
  one
  jmp Lexitswitch1
Lnextcase1:
  cmp r,2
  je Llocalcase2
  jmp Lnextcase2
Llocalcase2:
Lcaseor2:
  two
  jmp Lexitswitch1
Lnextcase2:
  other
Lexitswitch1:
