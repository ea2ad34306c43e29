  ld.imm r1,#5
  ld.imm r1,r2
  ld r1 r1
