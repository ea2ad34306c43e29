Lloopstartwhile1:
  c  [+++26,0,28,0+++]
config.txtにマクロが定義されていません。
Lwhilenextelseandjmp0:
     jmp Lwhilelocalelseorgoto0
Lwhilelocalelseand0:
  a != b     [+++26,1,28,1+++]
config.txtにマクロが定義されていません。
Lwhilenextelseandjmp1:
     jmp Lwhilelocalelseorgoto0
Lwhilelocalelseand1:
     jmp Llocalwhile1
Lwhilenextelseandjmp2:
Lwhilelocalelseorgoto0:
     jmp Lexitwhile1
Llocalwhile1:
body
     jmp Lloopstartwhile1
Lexitwhile1:
