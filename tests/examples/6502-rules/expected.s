f:
	tax
	tay
	txa
	tya
	asl a
	lsr a
	inx
	dex
	iny
	dey
	lda #5
	ldx count
	ldy table,x
	sta count
	stx count
	sty count
	inc count
	dec count
	clc
	adc #1
	sec
	sbc count
	and #15
	ora #48
	eor #255
	jsr helper
  cmp #1
  bne *+5
  jmp L_localelse1
  jmp L_nextelse1
L_localelse1:
L_nextelse1:
L_exitif1:
  cmp #2
  beq *+5
  jmp L_localelse2
  jmp L_nextelse2
L_localelse2:
L_nextelse2:
L_exitif2:
  cmp #3
  bcs *+5
  jmp L_localelse3
  jmp L_nextelse3
L_localelse3:
L_nextelse3:
L_exitif3:
  cmp #4
  bcc *+5
  jmp L_localelse4
  jmp L_nextelse4
L_localelse4:
L_nextelse4:
L_exitif4:
  cmp #5
  beq *+7
  bcc *+5
  jmp L_localelse5
  jmp L_nextelse5
L_localelse5:
L_nextelse5:
L_exitif5:
  cmp #6
  beq *+4
  bcs *+5
  jmp L_localelse6
  jmp L_nextelse6
L_localelse6:
L_nextelse6:
L_exitif6:
  cpx count
  bne *+5
  jmp L_localelse7
  jmp L_nextelse7
L_localelse7:
L_nextelse7:
L_exitif7:
  cpx #7
  beq *+7
  bcc *+5
  jmp L_localelse8
  jmp L_nextelse8
L_localelse8:
L_nextelse8:
L_exitif8:
  cpy #8
  bcs *+5
  jmp L_localelse9
  jmp L_nextelse9
L_localelse9:
L_nextelse9:
L_exitif9:
  cpy count
  beq *+4
  bcs *+5
  jmp L_localelse10
  jmp L_nextelse10
L_localelse10:
L_nextelse10:
L_exitif10:
L_loopstartdowhile1:
  jmp L_loopenddowhile1
  jmp L_exitdowhile1
L_loopenddowhile1:
  cpx #0
  beq *+5
  jmp L_localdowhile1
  jmp L_exitdowhile1
L_localdowhile1:
     jmp L_loopstartdowhile1
L_exitdowhile1:
     jmp done
done:
	rts
