# 2 "count.7pp"
	ld a,1
# 2 "inc\\part.inc"
	ld b,2
	ld c,3
# 4 "count.7pp"
Lloopstartwhile1:
# 4 "count.7pp"
  cp a,0
# 4 "count.7pp"
  jnz Llocalwhile1
# 4 "count.7pp"
  jmp Lexitwhile1
# 4 "count.7pp"
Llocalwhile1:
		ld a,0
# 4 "count.7pp"
     jmp Lloopstartwhile1
# 6 "count.7pp"
Lexitwhile1:
# 8 "count.7pp"
  cp a,1
# 8 "count.7pp"
  jz Llocalcase1
# 8 "count.7pp"
  jmp Lnextcase1
# 8 "count.7pp"
Llocalcase1:
# 8 "count.7pp"
Lcaseor1:
		ld b,1
  jmp Lexitswitch1
Lnextcase1:
		ld b,2
Lexitswitch1:
