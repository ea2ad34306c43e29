    ld b, 0
     ld a, 0
     jp L_loopstartfor1
L_zoubuntijmp1:
      inc a
L_loopstartfor1:
  cp a, 10
  jp c, L_localfor1
  jp L_exitfor1
L_localfor1:
  cp a, 7
  jp z, L_localelse1
  jp L_nextelse1
L_localelse1:
  jp L_exitfor1
L_nextelse1:
L_exitif1:
        ld c, a
        and c, 1
  cp a, 3
  jp z, L_iflocalelseor0
  jp L_ifnextelseorjmp1
L_ifnextelseorjmp1:
  cp c, 0
  jp nz, L_iflocalelseor0
  jp L_ifnextelseorjmp2
L_ifnextelseorjmp2:
     jp L_iflocalelseorgoto0
L_iflocalelseor0:
     jp L_localelse2
L_ifnextelseandjmp0:
L_iflocalelseorgoto0:
     jp L_nextelse2
L_localelse2:
  jp L_zoubuntijmp1
L_nextelse2:
L_exitif2:
        inc b
     jp L_zoubuntijmp1
L_exitfor1:
    halt
