CREATE TABLE t (a "weird#type", b "key", c [x -- y], d "a""b", e INT -- note
  EGER, f)
