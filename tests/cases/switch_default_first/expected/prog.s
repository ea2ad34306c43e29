     jmp Lnextcase3
Lcaseor3:
     jmp Lnextcase1
Lcaseor1:
    inner other
     jmp Lcaseor2
Lnextcase1:
  cmp s,5
  je Llocalcase2
  jmp Lnextcase2
Llocalcase2:
Lcaseor2:
    five
  jmp Lexitswitch2
Lnextcase2:
     jmp Lcaseor1
Lexitswitch2:
     jmp Lcaseor4
Lnextcase3:
  cmp r,1
  je Llocalcase4
  jmp Lnextcase4
Llocalcase4:
Lcaseor4:
  one
  jmp Lexitswitch1
Lnextcase4:
  cmp r,2
  je Llocalcase5
  jmp Lnextcase5
Llocalcase5:
Lcaseor5:
  two
  jmp Lexitswitch1
Lnextcase5:
     jmp Lcaseor3
Lexitswitch1:
