  cmp a,b
  je Llocalelse1
  jmp Lnextelse1
Llocalelse1:
body
     jmp Lexitif1
Lnextelse1:
  test c
  jnz Llocalelse2
  jmp Lnextelse2
Llocalelse2:
body
     jmp Lexitif1
Lnextelse2:
body
Lexitif1:
     i = 0
      j = 0
     jmp Lloopstartfor1
Lzoubuntijmp1:
      i++
Lloopstartfor1:
  cmp i,10
  jl Llocalfor1
  jmp Lexitfor1
Llocalfor1:
body
     jmp Lzoubuntijmp1
Lexitfor1:
Lloopstartwhile1:
  cmp x,0
  jne Llocalwhile1
  jmp Lexitwhile1
Llocalwhile1:
  jmp Lexitwhile1
  jmp Lloopstartwhile1
     jmp Lloopstartwhile1
Lexitwhile1:
Lloopstartdowhile1:
body
Lloopenddowhile1:
  test x
  jnz Llocaldowhile1
  jmp Lexitdowhile1
Llocaldowhile1:
     jmp Lloopstartdowhile1
Lexitdowhile1:
  cmp r,1
  je Llocalcase1
  jmp Lnextcase1
Llocalcase1:
Lcaseor1:
body A
  jmp Lexitswitch1
Lnextcase1:
  cmp r,2
  je Llocalcase2
  jmp Lnextcase2
Llocalcase2:
     jmp Lcaseor2
Lnextcase2:
  cmp r,3
  je Llocalcase3
  jmp Lnextcase3
Llocalcase3:
Lcaseor2:
body B
  jmp Lexitswitch1
Lnextcase3:
body C
Lexitswitch1:
     jmp done
