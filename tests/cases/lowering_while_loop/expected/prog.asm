Lloopstartwhile1:
  x != 0  [+++2,1,6,1+++]
config.txtにマクロが定義されていません。
Llocalwhile1:
    dec x
  x == 5  [+++4,1,8,1+++]
config.txtにマクロが定義されていません。
Llocalelse1:
  break  [+++10,1+++]
config.txtにマクロが定義されていません。
Lnextelse1:
Lexitif1:
     goto     Lloopstartwhile1
Lexitwhile1:
