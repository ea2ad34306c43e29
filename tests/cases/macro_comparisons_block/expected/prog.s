  test x < 5
  jnz Llocalelse1
  jmp Lnextelse1
Llocalelse1:
Lnextelse1:
Lexitif1:
  test x <= 5
  jnz Llocalelse2
  jmp Lnextelse2
Llocalelse2:
Lnextelse2:
Lexitif2:
  test x > 5
  jnz Llocalelse3
  jmp Lnextelse3
Llocalelse3:
Lnextelse3:
Lexitif3:
  test x >= 5
  jnz Llocalelse4
  jmp Lnextelse4
Llocalelse4:
Lnextelse4:
Lexitif4:
Lloopstartwhile1:
  test a<b
  jnz Llocalwhile1
  jmp Lexitwhile1
Llocalwhile1:
     jmp Lloopstartwhile1
Lexitwhile1:
