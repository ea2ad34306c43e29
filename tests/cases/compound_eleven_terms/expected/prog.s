  test a
  jnz Liflocalelseand0
  jmp Lifnextelseandjmp0
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
  test c
  jnz Liflocalelseand2
  jmp Lifnextelseandjmp2
Lifnextelseandjmp2:
     jmp Lnextelse1
Liflocalelseand2:
  test d
  jnz Liflocalelseand3
  jmp Lifnextelseandjmp3
Lifnextelseandjmp3:
     jmp Lnextelse1
Liflocalelseand3:
  test e
  jnz Liflocalelseand4
  jmp Lifnextelseandjmp4
Lifnextelseandjmp4:
     jmp Lnextelse1
Liflocalelseand4:
  test f
  jnz Liflocalelseand5
  jmp Lifnextelseandjmp5
Lifnextelseandjmp5:
     jmp Lnextelse1
Liflocalelseand5:
  test g
  jnz Liflocalelseand6
  jmp Lifnextelseandjmp6
Lifnextelseandjmp6:
     jmp Lnextelse1
Liflocalelseand6:
  test h
  jnz Liflocalelseand7
  jmp Lifnextelseandjmp7
Lifnextelseandjmp7:
     jmp Lnextelse1
Liflocalelseand7:
  test i
  jnz Liflocalelseand8
  jmp Lifnextelseandjmp8
Lifnextelseandjmp8:
     jmp Lnextelse1
Liflocalelseand8:
  test j
  jnz Liflocalelseand9
  jmp Lifnextelseandjmp9
Lifnextelseandjmp9:
     jmp Lnextelse1
Liflocalelseand9:
  test k
  jnz Liflocalelseand10
  jmp Lifnextelseandjmp10
Lifnextelseandjmp10:
     jmp Lnextelse1
Liflocalelseand10:
     jmp Llocalelse1
Llocalelse1:
body
Lnextelse1:
Lexitif1:
