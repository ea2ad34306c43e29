  cmp r,1
  je Llocalcase1
  jmp Lnextcase1
Llocalcase1:
Lcaseor1:
  one
  jmp Lexitswitch1
Lnextcase1:
     jmp Lnextcase2
Lcaseor2:
  other
  jmp Lexitswitch1
Lnextcase2:
  cmp r,2
  je Llocalcase3
  jmp Lnextcase3
Llocalcase3:
Lcaseor3:
  two
  jmp Lexitswitch1
Lnextcase3:
     jmp Lcaseor2
Lexitswitch1:
