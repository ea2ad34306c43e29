  nop
  mov bx,ax
  a  [+++4,1,8,1+++]
config.txtにマクロが定義されていません。
Llocalelse1:
  nop
Lnextelse1:
Lexitif1:
  ld 5
config.txtにマクロ定義の間違いがあります。
config.txtに、<b>がありません。
Lloopstartwhile1:
  b  [+++2,1,6,1+++]
config.txtにマクロが定義されていません。
Llocalwhile1:
  nop
｛,｝の数が合いません。
ラベルLexitwhile1が定義されていません。
