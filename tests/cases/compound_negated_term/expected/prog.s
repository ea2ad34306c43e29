  test a
  jnz Lifnextelseandjmp0
  jmp Liflocalelseand0
Lifnextelseandjmp0:
     jmp Liflocalelseorgoto0
Liflocalelseand0:
     jmp Llocalelse1
Lifnextelseandjmp1:
Liflocalelseorgoto0:
     jmp Lnextelse1
Llocalelse1:
body
Lnextelse1:
Lexitif1:
  test a
  jnz Liflocalelseand1
  jmp Lifnextelseandjmp2
Lifnextelseandjmp2:
     jmp Liflocalelseorgoto1
Liflocalelseand1:
     jmp Llocalelse2
Lifnextelseandjmp3:
Liflocalelseorgoto1:
     jmp Lnextelse2
Llocalelse2:
body
Lnextelse2:
Lexitif2:
