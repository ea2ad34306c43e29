  cmp r,1
  je Llocalelse1
  jmp Lnextelse1
Llocalelse1:
  one
｛,｝の数が合いません。
ラベルLnextelse1が定義されていません。
