.file 1 "hold.7pp"
.loc 1 2
	ld a,1
.file 2 "inc/part.inc"
.loc 2 2
	ld b,2
.loc 2 3
	ld c,3
.loc 1 4
Lloopstartwhile1:
  cp a,0
  jnz Llocalwhile1
  jmp Lexitwhile1
Llocalwhile1:
.loc 1 5
		ld a,0
.loc 1 4
     jmp Lloopstartwhile1
.loc 1 6
Lexitwhile1:
.loc 1 8
  cp a,1
  jz Llocalcase1
  jmp Lnextcase1
Llocalcase1:
Lcaseor1:
.loc 1 9
		ld b,1
.loc 1 10
  jmp Lexitswitch1
.loc 1 11
Lnextcase1:
.loc 1 12
		ld b,2
.loc 1 13
Lexitswitch1:
