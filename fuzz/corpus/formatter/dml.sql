-- leading comment
INSERT INTO t(a, b) VALUES ('it''s ~::~ select', x'0A1b'), (NULL, -1.5e3); /* block; comment */
UPDATE t SET b = b || 'x' WHERE a IS NOT NULL; -- trailing
DELETE FROM t WHERE rowid IN (SELECT rowid FROM t LIMIT 1);
