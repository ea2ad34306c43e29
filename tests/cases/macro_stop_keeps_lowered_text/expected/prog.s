.cpu t
Lloopstartwhile1:
  x  [+++2,1,6,1+++]
Llocalwhile1:
  mov <a, b
     goto     Lloopstartwhile1
Lexitwhile1:
