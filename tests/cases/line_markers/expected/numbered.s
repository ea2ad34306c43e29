10 	ld a,1
20 	nop
