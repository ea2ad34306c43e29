     i = 0
     jmp Lloopstartfor1
Lzoubuntijmp1:
      i++
Lloopstartfor1:
  test b
  jnz Lforlocalelseand0
  jmp Lfornextelseandjmp0
Lfornextelseandjmp0:
     jmp Lforlocalelseorgoto0
Lforlocalelseand0:
  test a
  jnz Lforlocalelseand1
  jmp Lfornextelseandjmp1
Lfornextelseandjmp1:
     jmp Lforlocalelseorgoto0
Lforlocalelseand1:
     jmp Llocalfor1
Lfornextelseandjmp2:
Lforlocalelseorgoto0:
     jmp Lexitfor1
Llocalfor1:
body
     jmp Lzoubuntijmp1
Lexitfor1:
     i = 0
     jmp Lloopstartfor2
Lzoubuntijmp2:
      i++
Lloopstartfor2:
  test b
  jnz Lforlocalelseand2
  jmp Lfornextelseandjmp3
Lfornextelseandjmp3:
     jmp Lforlocalelseorgoto1
Lforlocalelseand2:
  test a
  jnz Lforlocalelseand3
  jmp Lfornextelseandjmp4
Lfornextelseandjmp4:
     jmp Lforlocalelseorgoto1
Lforlocalelseand3:
     jmp Llocalfor2
Lfornextelseandjmp5:
Lforlocalelseorgoto1:
     jmp Lexitfor2
Llocalfor2:
body
     jmp Lzoubuntijmp2
Lexitfor2:
