loop:
L_loopstartwhile1:
  cmp x, 0
  je L_localwhile1
  jmp L_exitwhile1
L_localwhile1:
  cmp y, 3
  jl L_localelse1
  jmp L_nextelse1
L_localelse1:
  jmp L_exitwhile1
L_nextelse1:
L_exitif1:
  cmp z, 1
  je L_localelse2
  jmp L_nextelse2
L_localelse2:
        inc z
     jmp L_exitif2
L_nextelse2:
        dec z
L_exitif2:
     jmp L_loopstartwhile1
L_exitwhile1:
     jmp loop
