  mov r0,10+5
  mov r1,1+2
  mov B,r2
  db "TOP",10+5
