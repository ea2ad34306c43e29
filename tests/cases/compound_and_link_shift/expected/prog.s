Lloopstartwhile1:
  test a
  jnz Lwhilenextelseandjmp0
  jmp Lwhilelocalelseand0
Lwhilenextelseandjmp0:
     jmp Lwhilelocalelseor0
Lwhilelocalelseand0:
  test b
  jnz Lwhilenextelseandjmp1
  jmp Lwhilelocalelseand1
Lwhilenextelseandjmp1:
     jmp Lwhilelocalelseor0
Lwhilelocalelseand1:
     jmp Llocalwhile1
Lwhilelocalelseor0:
  test c
  jnz Lwhilelocalelseand2
  jmp Lwhilenextelseandjmp2
Lwhilenextelseandjmp2:
     jmp Lexitwhile1
Lwhilelocalelseand2:
  test d
  jnz Lwhilelocalelseand3
  jmp Lwhilenextelseandjmp3
Lwhilenextelseandjmp3:
     jmp Lexitwhile1
Lwhilelocalelseand3:
     jmp Llocalwhile1
Llocalwhile1:
body
     jmp Lloopstartwhile1
Lexitwhile1:
