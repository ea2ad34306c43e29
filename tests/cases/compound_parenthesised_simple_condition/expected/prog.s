  test a
  jnz Llocalelse1
  jmp Lnextelse1
Llocalelse1:
body
Lnextelse1:
Lexitif1:
