  test y
  jnz Liflocalelseand0
  jmp Lifnextelseandjmp0
Lifnextelseandjmp0:
     jmp Liflocalelseorgoto0
Liflocalelseand0:
  test x
  jnz Liflocalelseand1
  jmp Lifnextelseandjmp1
Lifnextelseandjmp1:
     jmp Liflocalelseorgoto0
Liflocalelseand1:
     jmp Llocalelse1
Lifnextelseandjmp2:
Liflocalelseorgoto0:
     jmp Lnextelse1
ğŒ®‚ğ•ÏŠ·‚Å‚«‚Ü‚¹‚ñB
Llocalelse1:
body
Lnextelse1:
Lexitif1:
