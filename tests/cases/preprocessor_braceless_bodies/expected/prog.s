  test x
  jnz Llocalelse1
  jmp Lnextelse1
Llocalelse1:
  single
Lnextelse1:
Lexitif1:
Lloopstartwhile1:
  test y
  jnz Llocalwhile1
  jmp Lexitwhile1
Llocalwhile1:
  test z
  jnz Llocalelse2
  jmp Lnextelse2
Llocalelse2:
    inner
Lnextelse2:
Lexitif2:
     jmp Lloopstartwhile1
Lexitwhile1:
  done
