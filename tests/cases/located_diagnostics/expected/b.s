case 1:
ｃａｓｅ文のオペランドが見つかりません。
   == 1  [+++16,1,17,1+++]
config.txtにマクロが定義されていません。
Llocalcase1:
Lcaseor1:
  nop
Lnextcase1:
Lexitswitch1:
