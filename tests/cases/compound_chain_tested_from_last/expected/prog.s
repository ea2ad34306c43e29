Lloopstartdowhile1:
body
Lloopenddowhile1:
  test c
  jnz Ldowhilelocalelseand0
  jmp Ldowhilenextelseandjmp0
Ldowhilenextelseandjmp0:
     jmp Ldowhilelocalelseorgoto0
Ldowhilelocalelseand0:
  test b
  jnz Ldowhilelocalelseand1
  jmp Ldowhilenextelseandjmp1
Ldowhilenextelseandjmp1:
     jmp Ldowhilelocalelseorgoto0
Ldowhilelocalelseand1:
  test a
  jnz Ldowhilelocalelseand2
  jmp Ldowhilenextelseandjmp2
Ldowhilenextelseandjmp2:
     jmp Ldowhilelocalelseorgoto0
Ldowhilelocalelseand2:
     jmp Llocaldowhile1
Ldowhilenextelseandjmp3:
Ldowhilelocalelseorgoto0:
     jmp Lexitdowhile1
Llocaldowhile1:
     jmp Lloopstartdowhile1
Lexitdowhile1:
