CREATE TEMP TRIGGER trg AFTER UPDATE OF name, "price" ON parent FOR EACH ROW WHEN new.price > old.price
BEGIN
  INSERT INTO child (b) VALUES (CASE WHEN new.name = 'end' THEN 'END' ELSE new.name END);
  SELECT RAISE(ABORT, 'no; way') WHERE old.id = 0;
END;
