Lloopstartwhile1:
  test a
  jnz Lwhilelocalelseand0
  jmp Lwhilenextelseandjmp0
Lwhilenextelseandjmp0:
     jmp Lwhilelocalelseor0
Lwhilelocalelseand0:
     jmp Lwhilelocalelseor1
Lwhilelocalelseor0:
  test b
  jnz Lwhilelocalelseand1
  jmp Lwhilenextelseandjmp1
Lwhilenextelseandjmp1:
     jmp Lexitwhile1
Lwhilelocalelseand1:
Lwhilelocalelseor1:
  test c
  jnz Lwhilelocalelseand2
  jmp Lwhilenextelseandjmp2
Lwhilenextelseandjmp2:
     jmp Lwhilelocalelseor2
Lwhilelocalelseand2:
     jmp Llocalwhile1
Lwhilelocalelseor2:
  test d
  jnz Lwhilelocalelseand3
  jmp Lwhilenextelseandjmp3
Lwhilenextelseandjmp3:
     jmp Lwhilelocalelseor3
Lwhilelocalelseand3:
     jmp Llocalwhile1
Lwhilelocalelseor3:
  test e
  jnz Lwhilelocalelseand4
  jmp Lwhilenextelseandjmp4
Lwhilenextelseandjmp4:
     jmp Lexitwhile1
Lwhilelocalelseand4:
     jmp Llocalwhile1
Llocalwhile1:
body
     jmp Lloopstartwhile1
Lexitwhile1:
Lloopstartwhile2:
  test a
  jnz Lwhilenextelseandjmp5
  jmp Lwhilelocalelseand5
Lwhilenextelseandjmp5:
     jmp Lwhilelocalelseor4
Lwhilelocalelseand5:
     jmp Lwhilelocalelseor5
Lwhilelocalelseor4:
  test b
  jnz Lwhilenextelseandjmp6
  jmp Lwhilelocalelseand6
Lwhilenextelseandjmp6:
     jmp Lexitwhile2
Lwhilelocalelseand6:
Lwhilelocalelseor5:
  test c
  jnz Lwhilelocalelseand7
  jmp Lwhilenextelseandjmp7
Lwhilenextelseandjmp7:
     jmp Lwhilelocalelseor6
Lwhilelocalelseand7:
     jmp Llocalwhile2
Lwhilelocalelseor6:
  test d
  jnz Lwhilenextelseandjmp8
  jmp Lwhilelocalelseand8
Lwhilenextelseandjmp8:
     jmp Lexitwhile2
Lwhilelocalelseand8:
     jmp Llocalwhile2
Llocalwhile2:
body
     jmp Lloopstartwhile2
Lexitwhile2:
