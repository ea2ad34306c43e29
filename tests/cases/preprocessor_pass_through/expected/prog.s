if (x == 5)
  mov a,5
case 1:
  nop
