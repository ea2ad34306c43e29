  test x == 0
  jz L_ifnextelseandjmp5
  jmp L_iflocalelseand3
