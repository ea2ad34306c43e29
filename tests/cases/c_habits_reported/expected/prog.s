#inlcude "x.inc"
認識できないディレクティブです。
名前のない#defineです。
# a comment stays text
Lloopstartwhile1:
  cmp a, 1
  je Llocalwhile1
  jmp Lexitwhile1
Llocalwhile1:
    break;
break文の後ろに;は書けません。
    continue;
continue文の後ろに;は書けません。
     jmp Lloopstartwhile1
Lexitwhile1:
  cmp b, 3
  je Llocalelse1
  jmp Lnextelse1
Llocalelse1:
(,)の数が合いません。
    x
Lnextelse1:
Lexitif1:
Lloopstartdowhile1:
    y
Lloopenddowhile1:
  cmp c, 0
  je Llocaldowhile1
  jmp Lexitdowhile1
Llocaldowhile1:
     jmp Lloopstartdowhile1
Lexitdowhile1:
｝とwhileは同じ行に書いてください。
z
