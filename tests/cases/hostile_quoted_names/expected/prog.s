  db "NAME" 'NAME' 7 "x" 'NAME'
  db "NAME" "NAME" "NAME" "NAME" "NAME" "NAME" "NAME" "NAME" 7
  db 'it"s NAME' 7 "7
