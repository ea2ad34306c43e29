  cmp r,1
  je Llocalcase1
  jmp Lnextcase1
Llocalcase1:
     jmp Lcaseor1
Lnextcase1:
  cmp r,2
  je Llocalcase2
  jmp Lnextcase2
Llocalcase2:
Lcaseor1:
  one or two
  jmp Lexitswitch1
Lnextcase2:
  other
Lexitswitch1:
