.intel_syntax noprefix
f:
	mov	rax, 5
	mov	rax, rbx
	mov	qword ptr [rsp - 8], 7
	add	rax, rbx
	sub	rax, 1
	imul	rax, 3
	and	rax, rcx
	or	rax, 2
	xor	rax, rax
	shl	rax, 2
	sar	rax, 1
	inc	rax
	dec	qword ptr [rbx]
	call	helper
	mov rdx, rcx
  cmp	rax, 1
  je	.Llocalelse1
  jmp	.Lnextelse1
.Llocalelse1:
.Lnextelse1:
.Lexitif1:
  cmp	rax, rbx
  jne	.Llocalelse2
  jmp	.Lnextelse2
.Llocalelse2:
.Lnextelse2:
.Lexitif2:
  cmp	rax, -1
  jl	.Llocalelse3
  jmp	.Lnextelse3
.Llocalelse3:
.Lnextelse3:
.Lexitif3:
  cmp	rax, 2
  jle	.Llocalelse4
  jmp	.Lnextelse4
.Llocalelse4:
.Lnextelse4:
.Lexitif4:
  cmp	rax, qword ptr [rsp - 8]
  jg	.Llocalelse5
  jmp	.Lnextelse5
.Llocalelse5:
.Lnextelse5:
.Lexitif5:
  cmp	qword ptr [rsp - 8], 3
  jge	.Llocalelse6
  jmp	.Lnextelse6
.Llocalelse6:
.Lnextelse6:
.Lexitif6:
  cmp	rax, 4
  jb	.Llocalelse7
  jmp	.Lnextelse7
.Llocalelse7:
.Lnextelse7:
.Lexitif7:
  cmp	rax, 5
  jbe	.Llocalelse8
  jmp	.Lnextelse8
.Llocalelse8:
.Lnextelse8:
.Lexitif8:
  cmp	rax, 6
  ja	.Llocalelse9
  jmp	.Lnextelse9
.Llocalelse9:
.Lnextelse9:
.Lexitif9:
  cmp	rax, 7
  jae	.Llocalelse10
  jmp	.Lnextelse10
.Llocalelse10:
.Lnextelse10:
.Lexitif10:
  cmp	rax, 1
  je	.Llocalelse11
  jmp	.Lnextelse11
.Llocalelse11:
.Lnextelse11:
.Lexitif11:
  cmp	rax, 2
  jne	.Llocalelse12
  jmp	.Lnextelse12
.Llocalelse12:
.Lnextelse12:
.Lexitif12:
  cmp	rax, 3
  jg	.Llocalelse13
  jmp	.Lnextelse13
.Llocalelse13:
.Lnextelse13:
.Lexitif13:
  cmp	rax, 4
  jge	.Llocalelse14
  jmp	.Lnextelse14
.Llocalelse14:
.Lnextelse14:
.Lexitif14:
  cmp	rax, 5
  jl	.Llocalelse15
  jmp	.Lnextelse15
.Llocalelse15:
.Lnextelse15:
.Lexitif15:
  cmp	rax, -6
  jle	.Llocalelse16
  jmp	.Lnextelse16
.Llocalelse16:
.Lnextelse16:
.Lexitif16:
  cmp	rax, 7
  ja	.Llocalelse17
  jmp	.Lnextelse17
.Llocalelse17:
.Lnextelse17:
.Lexitif17:
  cmp	rax, 8
  jae	.Llocalelse18
  jmp	.Lnextelse18
.Llocalelse18:
.Lnextelse18:
.Lexitif18:
  cmp	rax, 9
  jb	.Llocalelse19
  jmp	.Lnextelse19
.Llocalelse19:
.Lnextelse19:
.Lexitif19:
  cmp	rax, 10
  jbe	.Llocalelse20
  jmp	.Lnextelse20
.Llocalelse20:
.Lnextelse20:
.Lexitif20:
.Lloopstartwhile1:
  test	rcx, rcx ; jnz	.Llocalwhile1
  jmp	.Lexitwhile1
.Llocalwhile1:
  jmp	.Lexitwhile1
  jmp	.Lloopstartwhile1
     jmp	.Lloopstartwhile1
.Lexitwhile1:
     jmp	done
done:
	mov	rax, rax
	ret
