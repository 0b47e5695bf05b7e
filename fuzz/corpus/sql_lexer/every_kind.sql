SELECT x'0A' , ?1, :n, @m, $a::b(c), 1_000, 0x1F, .5e3, 12abc, 'a''b', "q""", `b```, [c d] -- c
/* b */ a->>'$.x' || b <> c != d == e <= f >> g << h & i | ~j; 'open
