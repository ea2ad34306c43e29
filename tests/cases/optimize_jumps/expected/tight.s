L_userlabel1:
loop:
L_loopstartwhile1:
  cmp x, 0
  jne L_userlabel1
L_localwhile1:
  cmp y, 3
  jl L_userlabel1
  jmp L_nextelse1
L_localelse1:
L_nextelse1:
L_exitif1:
  cmp z, 1
  jne L_nextelse2
L_localelse2:
        inc z
     jmp L_loopstartwhile1
L_nextelse2:
        dec z
L_exitif2:
     jmp L_loopstartwhile1
L_exitwhile1:
