  test y
  jnz Liflocalelseor0
  jmp Lifnextelseorjmp1
Lifnextelseorjmp1:
  test x == 1 
  jnz Liflocalelseor0
  jmp Lifnextelseorjmp2
Lifnextelseorjmp2:
     jmp Liflocalelseorgoto0
Liflocalelseor0:
     jmp Llocalelse1
Lifnextelseandjmp0:
Liflocalelseorgoto0:
     jmp Lnextelse1
Llocalelse1:
body
Lnextelse1:
Lexitif1:
