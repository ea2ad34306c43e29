10   mov bx,ax
20 Lmine1:
30   push cx
40 Lhere:
50   pop dx
60   NOP
70   continue  [+++0,0+++]
config.txtにマクロが定義されていません。
80   x  [+++4,1,8+++]
