CREATE UNIQUE INDEX IF NOT EXISTS aux."idx odd" ON "t" (lower(name) COLLATE NOCASE DESC, [order], "a,b") WHERE price > 0 AND name IS NOT NULL;
