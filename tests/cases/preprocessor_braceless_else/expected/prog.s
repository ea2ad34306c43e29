  test a
  jnz Llocalelse1
  jmp Lnextelse1
Llocalelse1:
  x
     jmp Lexitif1
Lnextelse1:
  y
Lexitif1:
