ld a
