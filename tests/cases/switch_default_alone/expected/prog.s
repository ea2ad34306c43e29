  other
Lexitswitch1:
  after
