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
     jmp Lcaseor3
Lnextcase2:
  cmp r,2
  je Llocalcase3
  jmp Lnextcase3
Llocalcase3:
     jmp Lcaseor3
Lnextcase3:
  cmp r,3
  je Llocalcase4
  jmp Lnextcase4
Llocalcase4:
Lcaseor3:
  two or three
  jmp Lexitswitch1
Lnextcase4:
  cmp r,4
  je Llocalcase5
  jmp Lnextcase5
Llocalcase5:
Lcaseor4:
  four
  jmp Lexitswitch1
Lnextcase5:
     jmp Lcaseor2
Lexitswitch1:
