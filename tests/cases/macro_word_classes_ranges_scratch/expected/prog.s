    mv a0, a1
    mv a0, a0
    addi a0, zero, 5
    li a0, 5000
    la a0, table
    addi a0, a0, -2048
    li t6, 100000
    add a0, a0, t6
    add a0, a0, a1
.Lloopstartwhile1:
  blt a0, a1, .Llocalwhile1
  j .Lexitwhile1
.Llocalwhile1:
  bltz width, .Llocalelse1
  j .Lnextelse1
.Llocalelse1:
  j .Lexitwhile1
.Lnextelse1:
.Lexitif1:
  blt s1, s2, .Llocalelse2
  j .Lnextelse2
.Llocalelse2:
  j .Lexitwhile1
.Lnextelse2:
.Lexitif2:
     j .Lloopstartwhile1
.Lexitwhile1:
    li t6, 1
t6は作業用レジスタなので使えません。
