one_root
two_src
three_inc1
four_inc2
nop
