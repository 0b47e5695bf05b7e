CREATE TEMPORARY VIEW IF NOT EXISTS "my view" (a, "b c") AS /* AS */ SELECT id, name FROM parent WHERE name <> 'x';
