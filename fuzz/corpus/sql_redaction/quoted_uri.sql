SELECT 1 -- no secret
; VACUUM INTO "file:b.db?hexkey=00ff" ;\ 