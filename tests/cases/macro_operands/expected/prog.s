  mov.b al,bl
  movx.w al,bx
  mov. x,y
  jsr f(x),y
  puts a Åu b Åv c
  ld r1, add(a,b)
