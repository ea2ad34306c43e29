	ld a,1
	nop
