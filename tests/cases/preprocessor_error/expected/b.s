  ret
