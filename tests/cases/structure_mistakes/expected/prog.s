whlie (a) {
認識できない制御文です。
    x
｛,｝の数が合いません。
break文の位置が正しくありません。
  continue  [+++0,0+++]
config.txtにマクロが定義されていません。
else文の位置が正しくありません。
    y
case 3:
ｃａｓｅ文のオペランドが見つかりません。
Lcaseor1:
default文の位置が正しくありません。
  cmp s, 1
  je Llocalcase1
  jmp Lnextcase1
Llocalcase1:
caseと同じ行に文は書けません。
Lcaseor2:
Lnextcase1:
Lexitswitch1:
     goto far away
config.txtにマクロが定義されていません。
Lloopstartdowhile1:
｛,｝の数が合いません。
