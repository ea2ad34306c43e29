.cpu t
  x y
