Lloopstartdowhile1:
    nop
Lloopenddowhile1:
     goto     Lloopstartdowhile1
Lexitdowhile1:
