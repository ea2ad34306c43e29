  test a
  jnz Llocalelse1
  jmp Lnextelse1
Llocalelse1:
body
     jmp Lexitif1
Lnextelse1:
  test b
  jnz Lifnextelseandjmp0
  jmp Liflocalelseand0
Lifnextelseandjmp0:
     jmp Liflocalelseor0
Liflocalelseand0:
     jmp Llocalelse2
Liflocalelseor0:
  test c
  jnz Liflocalelseand1
  jmp Lifnextelseandjmp1
Lifnextelseandjmp1:
     jmp Lnextelse2
Liflocalelseand1:
     jmp Llocalelse2
Llocalelse2:
body
Lnextelse2:
Lexitif1:
Lloopstartdowhile1:
body
Lloopenddowhile1:
  test a
  jnz Ldowhilenextelseandjmp0
  jmp Ldowhilelocalelseand0
Ldowhilenextelseandjmp0:
     jmp Ldowhilelocalelseor0
Ldowhilelocalelseand0:
     jmp Llocaldowhile1
Ldowhilelocalelseor0:
  test b
  jnz Ldowhilelocalelseand1
  jmp Ldowhilenextelseandjmp1
Ldowhilenextelseandjmp1:
     jmp Lexitdowhile1
Ldowhilelocalelseand1:
     jmp Llocaldowhile1
Llocaldowhile1:
     jmp Lloopstartdowhile1
Lexitdowhile1:
