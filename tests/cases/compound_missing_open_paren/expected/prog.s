.cpu t
  nop
error: '(' ‚ª‚ ‚è‚Ü‚¹‚ñ
