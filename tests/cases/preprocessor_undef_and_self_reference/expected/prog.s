  a COUNT+1
  b SELF
  c 1
  d X
  x undefined
