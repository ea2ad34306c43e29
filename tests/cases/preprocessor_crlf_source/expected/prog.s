  slow
  test a
  jnz Llocalelse1
  jmp Lnextelse1
Llocalelse1:
  cmp 10
Lnextelse1:
Lexitif1:
