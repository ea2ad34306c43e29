10   test x
20   jnz Llocalelse1
30   jmp Lnextelse1
40 Llocalelse1:
50   nop
60 Lnextelse1:
70 Lexitif1:
