// A zoo of what SQLite's CREATE TABLE, INDEX, VIEW and TRIGGER grammar can
// say, in main, temp and an attached schema: filled through the adapter, built
// as CREATE text, run in an empty database, and compared with what the engine
// reports about the original.

#include "orvel/model/meta_model.hpp"
#include "tests/orvel/supports/database/schema_fixture.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {
namespace {

constexpr const char* kMainZoo = R"sql(
CREATE TABLE "odd ""name"" table" (
  "my col" TEXT COLLATE nocase UNIQUE,
  [order] INTEGER NOT NULL ON CONFLICT IGNORE DEFAULT 0,
  `group` REAL CONSTRAINT "non negative" CHECK ("group" >= 0),
  'select' BLOB,
  "sınıf" TEXT -- a comment with UNIQUE and CHECK (x) in it
);
CREATE TABLE parent (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  code TEXT NOT NULL UNIQUE ON CONFLICT REPLACE,
  name VARCHAR(32) DEFAULT 'x''y',
  price NUMERIC(10,2) DEFAULT (1.5 * 2),
  created TEXT DEFAULT (datetime('now')),
  flag BOOLEAN DEFAULT TRUE,
  neg INT DEFAULT -1,
  label varchar(20) DEFAULT CURRENT_TIMESTAMP,
  CONSTRAINT chk_price CHECK (price >= 0), CONSTRAINT chk_name CHECK (length(name) < 100),
  CHECK (name IN ('a', 'b', 'x''y') OR name IS NULL)
);
CREATE TABLE composite (x INT, y TEXT, z, PRIMARY KEY (y, x)) WITHOUT ROWID;
CREATE TABLE child (
  a INTEGER REFERENCES parent,
  b TEXT, c INT, d TEXT, e INT,
  CONSTRAINT fk_b FOREIGN KEY (b) REFERENCES parent(code) ON DELETE CASCADE ON UPDATE SET NULL
    DEFERRABLE INITIALLY DEFERRED,
  FOREIGN KEY (c, d) REFERENCES composite(x, y) NOT DEFERRABLE,
  FOREIGN KEY (e) REFERENCES parent(id) DEFERRABLE INITIALLY IMMEDIATE,
  UNIQUE (c, d),
  UNIQUE (b COLLATE NOCASE DESC) ON CONFLICT FAIL
);
CREATE TABLE strict_t (id INTEGER PRIMARY KEY, v ANY, t TEXT NOT NULL) STRICT;
CREATE TABLE both_t (k TEXT PRIMARY KEY, v INT) WITHOUT ROWID, STRICT;
CREATE TABLE gen (a INT, b INT GENERATED ALWAYS AS (a * 2) VIRTUAL, c TEXT AS (upper(d)) STORED, d TEXT);
CREATE TABLE dept (id INTEGER PRIMARY KEY, boss INT REFERENCES emp(id));
CREATE TABLE emp (id INTEGER PRIMARY KEY, dept INT REFERENCES dept(id));
CREATE TABLE u_first (u TEXT UNIQUE, k TEXT PRIMARY KEY, w TEXT CONSTRAINT named_u UNIQUE);
CREATE TABLE no_type (a, b, c);
CREATE TABLE "select" ("from" INT, "where" TEXT, "unsigned big int" unsigned big int);
CREATE INDEX "idx odd" ON "odd ""name"" table" ("my col" DESC, [order]);
CREATE UNIQUE INDEX idx_partial ON parent (name, price) WHERE price > 0 AND name IS NOT NULL;
CREATE INDEX idx_expr ON parent (substr(name, 1, 2), lower(code) COLLATE NOCASE);
CREATE INDEX idx_coll ON child (b COLLATE RTRIM ASC);
CREATE TRIGGER trg_when AFTER UPDATE OF name, "price" ON parent FOR EACH ROW WHEN new.price > old.price
BEGIN
  INSERT INTO child (b) VALUES (CASE WHEN new.name = 'end' THEN 'END' ELSE new.name END);
END;
CREATE TRIGGER person_audit BEFORE DELETE ON parent BEGIN SELECT RAISE(ABORT, 'no; way') WHERE old.id = 0; END;
CREATE VIEW "my view" AS SELECT id, name FROM parent WHERE name <> 'x';
CREATE VIEW v_cols(a, b) AS SELECT x, y FROM composite;
CREATE TRIGGER v_ins INSTEAD OF INSERT ON "my view" BEGIN INSERT INTO parent (code, name) VALUES (new.id, new.name); END;
CREATE VIRTUAL TABLE docs USING fts5(title, body);
INSERT INTO parent (code, name) VALUES ('p1', 'a'), ('p2', 'b');
DELETE FROM parent WHERE code = 'p2';
)sql";

constexpr const char* kTempZoo = R"sql(
CREATE TEMP TABLE tmp_t (a INT PRIMARY KEY, b TEXT CHECK (b <> ''));
CREATE INDEX temp.tmp_i ON tmp_t (b);
CREATE TEMP TRIGGER tmp_trg AFTER INSERT ON tmp_t BEGIN SELECT 1; END;
CREATE TEMP VIEW tmp_v AS SELECT * FROM tmp_t;
)sql";

// An attached schema with a table of the same name as one in main, and a name
// that needs its quote doubled.
constexpr const char* kAuxZoo = R"sql(
CREATE TABLE aux.parent (id INTEGER PRIMARY KEY, other TEXT);
CREATE TABLE aux."O'Brien" (id INT, name TEXT UNIQUE, FOREIGN KEY (id) REFERENCES parent(id));
CREATE INDEX aux.ob_idx ON "O'Brien" (name) WHERE id > 0;
CREATE TRIGGER aux.ob_trg AFTER INSERT ON "O'Brien" BEGIN UPDATE parent SET other = new.name; END;
CREATE VIEW aux.ob_v AS SELECT * FROM "O'Brien";
CREATE TRIGGER aux.ob_v_del INSTEAD OF DELETE ON ob_v BEGIN DELETE FROM "O'Brien" WHERE id = old.id; END;
)sql";

using SchemaRoundTripTest = SchemaTest;

TEST_F(SchemaRoundTripTest, FillAndBuildReproduceEverySchemaOfTheZoo) {
  auto original = open("zoo.db");
  run(*original, "ATTACH " + Database::quoted(m_dir.file("zoo-aux.db"), '\'') + " AS aux;");
  run(*original, kMainZoo);
  run(*original, kTempZoo);
  run(*original, kAuxZoo);

  auto database = MetaModel::MetaDatabase::with_name("zoo");
  ASSERT_TRUE(original->adapter()->fill_meta_database(database, true));
  ASSERT_EQ(database->get_schemas().size(), 3u);
  for (const auto& schema : database->get_schemas()) {
    for (const auto& table : schema->get_tables()) {
      EXPECT_TRUE(table->has_data("FILLED")) << table->get_name();
      if (table->get_name() != "docs") {
        EXPECT_TRUE(original->builder()->check_table(table)) << table->get_name();
      }
    }
  }
  const std::string script = original->builder()->create_database(database, true);

  auto copy = open("copy.db");
  run(*copy, "ATTACH " + Database::quoted(m_dir.file("copy-aux.db"), '\'') + " AS aux;");
  run(*copy, script);

  for (const char* schema : {"main", "temp", "aux"}) {
    EXPECT_EQ(describe(*copy, schema), describe(*original, schema)) << schema;
  }
  // The counter of the AUTOINCREMENT table goes along, so no key comes back.
  EXPECT_EQ(rows(*copy, "SELECT name, seq FROM sqlite_sequence"), rows(*original, "SELECT name, seq FROM sqlite_sequence"));
  // Behaviour the pragmas do not show: the conflict clauses and the WHEN.
  run(*copy, "INSERT INTO \"odd \"\"name\"\" table\" (\"order\") VALUES (NULL);");
  EXPECT_EQ(scalar(*copy, "SELECT count(*) FROM \"odd \"\"name\"\" table\""), "0");
  run(*copy, "INSERT INTO parent (code, name) VALUES ('c', 'a'); INSERT INTO parent (code, name) VALUES ('c', 'b');");
  EXPECT_EQ(scalar(*copy, "SELECT group_concat(name) FROM parent WHERE code = 'c'"), "b");
  run(*copy, "UPDATE parent SET price = 0 WHERE code = 'c';");
  EXPECT_EQ(scalar(*copy, "SELECT count(*) FROM child"), "0");
}

TEST_F(SchemaRoundTripTest, ForeignKeyCycleEndsAndKeepsBothTables) {
  auto connection = open("cycle.db");
  run(*connection,
      "CREATE TABLE dept (id INTEGER PRIMARY KEY, boss INT REFERENCES emp(id));"
      "CREATE TABLE emp (id INTEGER PRIMARY KEY, dept INT REFERENCES dept(id));");
  auto schema = MetaModel::MetaSchema::with_names("cycle", "main");
  ASSERT_TRUE(connection->adapter()->fill_meta_schema(schema, true));
  const std::string script = connection->builder()->build_schema(schema, true);
  EXPECT_NE(script.find("\"main\".\"dept\""), std::string::npos);
  EXPECT_NE(script.find("\"main\".\"emp\""), std::string::npos);
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database::Testing
