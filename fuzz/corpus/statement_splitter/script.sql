-- header
CREATE TABLE t(a TEXT DEFAULT 'x;y');
CREATE TEMP TRIGGER tr AFTER INSERT ON t BEGIN
  UPDATE t SET a = 'b;' WHERE rowid = new.rowid;
  SELECT CASE WHEN 1 THEN 2 END;
END;
;;  /* nothing */ ;
EXPLAIN SELECT "a;b", [c;d] FROM t /* ; */ WHERE a = ';';
CREATE TABLE "trigger"(end);
SELECT 'unfinished;
