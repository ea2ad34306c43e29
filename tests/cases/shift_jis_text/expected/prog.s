  ld ダ10,ア10
  dc.b 表示ソ能,表#0
  ld ダ表
  cmp x,ボ
  je Llocalelse1
  jmp Lnextelse1
Llocalelse1:
    jsr 表示
Lnextelse1:
Lexitif1:
Lloopstartwhile1:
  test ポ
  jnz Lwhilelocalelseand0
  jmp Lwhilenextelseandjmp0
Lwhilenextelseandjmp0:
     jmp Lwhilelocalelseor0
Lwhilelocalelseand0:
     jmp Lwhilelocalelseor1
Lwhilelocalelseor0:
  test ボ
  jnz Lwhilelocalelseand1
  jmp Lwhilenextelseandjmp1
Lwhilenextelseandjmp1:
     jmp Lexitwhile1
Lwhilelocalelseand1:
Lwhilelocalelseor1:
  test マ
  jnz Lwhilelocalelseand2
  jmp Lwhilenextelseandjmp2
Lwhilenextelseandjmp2:
     jmp Lwhilelocalelseor2
Lwhilelocalelseand2:
     jmp Llocalwhile1
Lwhilelocalelseor2:
  test ゼ
  jnz Lwhilelocalelseand3
  jmp Lwhilenextelseandjmp3
Lwhilenextelseandjmp3:
     jmp Lwhilelocalelseor3
Lwhilelocalelseand3:
     jmp Llocalwhile1
Lwhilelocalelseor3:
  test 表
  jnz Lwhilelocalelseand4
  jmp Lwhilenextelseandjmp4
Lwhilenextelseandjmp4:
     jmp Lexitwhile1
Lwhilelocalelseand4:
     jmp Llocalwhile1
Llocalwhile1:
body
     jmp Lloopstartwhile1
Lexitwhile1:
  dw ゼ ミ
