  test a
  jnz Lifnextelseandjmp0
  jmp Liflocalelseand0
Lifnextelseandjmp0:
     jmp Liflocalelseor0
Liflocalelseand0:
     jmp Llocalelse1
Liflocalelseor0:
  test b
  jnz Liflocalelseand1
  jmp Lifnextelseandjmp1
Lifnextelseandjmp1:
     jmp Lnextelse1
Liflocalelseand1:
     jmp Llocalelse1
Llocalelse1:
body
Lnextelse1:
Lexitif1:
