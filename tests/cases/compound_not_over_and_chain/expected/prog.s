Lloopstartwhile1:
  test a
  jnz Lwhilenextelseandjmp0
  jmp Lwhilelocalelseand0
Lwhilenextelseandjmp0:
     jmp Lwhilelocalelseor0
Lwhilelocalelseand0:
     jmp Llocalwhile1
Lwhilelocalelseor0:
  test b
  jnz Lwhilenextelseandjmp1
  jmp Lwhilelocalelseand1
Lwhilenextelseandjmp1:
     jmp Lwhilelocalelseor1
Lwhilelocalelseand1:
     jmp Llocalwhile1
Lwhilelocalelseor1:
  test c
  jnz Lwhilenextelseandjmp2
  jmp Lwhilelocalelseand2
Lwhilenextelseandjmp2:
     jmp Lexitwhile1
Lwhilelocalelseand2:
     jmp Llocalwhile1
Llocalwhile1:
body
     jmp Lloopstartwhile1
Lexitwhile1:
