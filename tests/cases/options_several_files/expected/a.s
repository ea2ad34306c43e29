mov r0,3
flag on
