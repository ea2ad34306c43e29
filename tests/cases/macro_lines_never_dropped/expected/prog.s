(a) nop
  push x(
  pop y
  NOP
  push z
  pop w(
