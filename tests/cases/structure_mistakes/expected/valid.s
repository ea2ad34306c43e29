    push {r4, lr}
    vaddps zmm1 {k1}, zmm2
  cmp a, 0
  jne Llocalelse1
  jmp Lnextelse1
Llocalelse1:
    x
     jmp Lexitif1
Lnextelse1:
  cmp b, 0
  jne Llocalelse2
  jmp Lnextelse2
Llocalelse2:
    y
     jmp Lexitif1
Lnextelse2:
    z
Lexitif1:
Lloopstartwhile1:
  cmp a, 0
  jne Llocalwhile1
  jmp Lexitwhile1
Llocalwhile1:
     jmp Lloopstartwhile1
Lexitwhile1:
Lzoubuntijmp1:
Lloopstartfor1:
  jmp Lzoubuntijmp1
     jmp Lzoubuntijmp1
Lexitfor1:
Lloopstartdowhile1:
  jmp Lexitdowhile1
Lloopenddowhile1:
  cmp b, 0
  jne Llocaldowhile1
  jmp Lexitdowhile1
Llocaldowhile1:
     jmp Lloopstartdowhile1
Lexitdowhile1:
Lexitswitch1:
