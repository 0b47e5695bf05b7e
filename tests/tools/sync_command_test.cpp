// tolvane diff and sync, run as their users run them, with the sqlite3 shell
// and sqldiff (Debian's sqlite3 and sqlite3-tools) as oracles.

#include <gtest/gtest.h>

#include "tests/support/program.hpp"
#include "tests/tools/cli_fixture.hpp"

namespace Tolvane::Testing {
namespace {

constexpr const char* kSource = R"(
  CREATE TABLE customer (id INTEGER PRIMARY KEY, name TEXT NOT NULL, email TEXT, tier TEXT DEFAULT 'basic');
  CREATE TABLE orders (id INTEGER PRIMARY KEY AUTOINCREMENT, customer INTEGER NOT NULL REFERENCES customer(id),
                       total NUMERIC(10,2), placed DATETIME DEFAULT CURRENT_TIMESTAMP);
  CREATE INDEX orders_customer ON orders (customer, placed);
  CREATE TABLE tag (name TEXT PRIMARY KEY, color TEXT) WITHOUT ROWID;
  CREATE VIEW order_totals AS SELECT c.name, sum(o.total) AS total FROM customer c JOIN orders o ON o.customer = c.id
    GROUP BY c.name;
  CREATE TRIGGER orders_touch AFTER UPDATE OF total ON orders BEGIN UPDATE orders SET placed = placed WHERE id = 0; END;
)";

// The source's structure as it was one version ago, with rows.
constexpr const char* kTarget = R"(
  CREATE TABLE customer (id INTEGER PRIMARY KEY, full_name TEXT, email TEXT, fax TEXT);
  CREATE TABLE orders (id INTEGER PRIMARY KEY AUTOINCREMENT, customer INTEGER NOT NULL REFERENCES customer(id),
                       total TEXT, placed DATETIME DEFAULT CURRENT_TIMESTAMP, memo TEXT);
  CREATE INDEX orders_memo ON orders (memo);
  CREATE TABLE tag (name TEXT PRIMARY KEY) WITHOUT ROWID;
  CREATE TABLE legacy (x);
  CREATE VIEW order_totals AS SELECT c.full_name, o.memo FROM customer c JOIN orders o ON o.customer = c.id;
  INSERT INTO customer VALUES (1, 'Ada', 'ada@example.org', 'f1'), (2, 'O''Brien', NULL, NULL);
  INSERT INTO orders (customer, total, placed, memo) VALUES (1, '10.50', '2024-01-01', 'm'), (2, '7', NULL, NULL);
  INSERT INTO tag VALUES ('red'), ('blue');
)";

class SyncCommand : public TolvaneCli {
 protected:
  std::string query(const std::string& database, const std::string& sql) {
    Ran ran = sqlite3(database, sql);
    EXPECT_EQ(ran.exit_code, 0) << ran.err;
    return ran.out;
  }

  // Only tables: sqldiff compares indexes and triggers by their CREATE text.
  void expect_same_tables(const std::string& source, const std::string& target) {
    auto ran = Tolvane::Testing::run_program({"sqldiff", "--schema", source, target});
    EXPECT_EQ(ran.exit_code, 0) << ran.err;
    for (const char* statement : {"CREATE TABLE", "DROP TABLE", "ALTER TABLE"}) {
      EXPECT_EQ(ran.out.find(statement), std::string::npos) << ran.out;
    }
  }
};

TEST_F(SyncCommand, SyncThenDiffFindsNothingAndKeepsTheRows) {
  const std::string source = make_database("source.db", kSource);
  const std::string target = make_database("target.db", kTarget);

  Ran diff = tolvane({"diff", source, target});
  EXPECT_EQ(diff.exit_code, 10) << diff.err;
  EXPECT_NE(diff.out.find("update table customer\n"), std::string::npos) << diff.out;
  EXPECT_NE(diff.out.find("  insert column name\n"), std::string::npos) << diff.out;
  EXPECT_NE(diff.out.find("  delete column fax\n"), std::string::npos) << diff.out;
  EXPECT_NE(diff.out.find("delete table legacy\n"), std::string::npos) << diff.out;
  EXPECT_NE(diff.out.find("update view order_totals\n"), std::string::npos) << diff.out;

  Ran dry = tolvane({"sync", source, target, "--dry-run"});
  EXPECT_EQ(dry.exit_code, 0) << dry.err;
  EXPECT_NE(dry.out.find("DROP TABLE IF EXISTS `main`.`legacy`;"), std::string::npos) << dry.out;
  EXPECT_EQ(query(target, "SELECT count(*) FROM legacy;"), "0\n");

  Ran sync = tolvane({"sync", source, target});
  ASSERT_EQ(sync.exit_code, 0) << sync.err;
  EXPECT_NE(sync.err.find("0 failed"), std::string::npos) << sync.err;

  Ran again = tolvane({"diff", source, target});
  EXPECT_EQ(again.exit_code, 0) << again.out << again.err;
  EXPECT_EQ(again.out, "");
  expect_same_tables(source, target);
  EXPECT_EQ(query(target, "PRAGMA integrity_check; PRAGMA foreign_key_check;"), "ok\n");
  // A column in the place of a removed one takes over its values, as a
  // renamed column does: full_name's go to name, fax's to tier.
  EXPECT_EQ(query(target, "SELECT id, name, email, tier FROM customer ORDER BY id;"),
            "1|Ada|ada@example.org|f1\n2|O'Brien||\n");
  EXPECT_EQ(query(target, "SELECT id, customer, total, placed FROM orders ORDER BY id;"),
            "1|1|10.5|2024-01-01\n2|2|7|\n");
  EXPECT_EQ(query(target, "SELECT name FROM tag ORDER BY name;"), "blue\nred\n");
  EXPECT_EQ(query(target, "SELECT * FROM order_totals ORDER BY name;"), "Ada|10.5\nO'Brien|7\n");
  EXPECT_EQ(query(target, "SELECT count(*) FROM sqlite_master WHERE name LIKE '%old%';"), "0\n");
}

TEST_F(SyncCommand, AFailureHalfwayLeavesTheTargetAsItWas) {
  const std::string source = make_database("source.db", kSource);
  // A customer without a name: the source's NOT NULL cannot hold.
  const std::string target = make_database("target.db", std::string(kTarget) + "INSERT INTO customer VALUES (3, NULL, NULL, NULL);");
  const std::string before = file("before.db");
  ASSERT_EQ(run_program("cp", {target, before}, "", {}, m_home).exit_code, 0);
  const std::string schema_before = query(target, "SELECT type, name, sql FROM sqlite_master ORDER BY name;");

  Ran sync = tolvane({"sync", source, target});
  EXPECT_EQ(sync.exit_code, 1);
  EXPECT_NE(sync.err.find("NOT NULL constraint failed"), std::string::npos) << sync.err;
  EXPECT_NE(sync.err.find("rolled back"), std::string::npos) << sync.err;
  EXPECT_EQ(query(target, "SELECT type, name, sql FROM sqlite_master ORDER BY name;"), schema_before);
  auto data = Tolvane::Testing::run_program({"sqldiff", before, target});
  EXPECT_EQ(data.exit_code, 0) << data.err;
  EXPECT_EQ(data.out, "");
}

TEST_F(SyncCommand, OnlyNamedObjectsAndEncryptedTargets) {
  const std::string source = make_database("source.db", kSource);
  const std::string target = file("secret.db");
  Ran made = tolvane({"script", target, "-", "--create", "--key", "k1"}, kTarget);
  ASSERT_EQ(made.exit_code, 0) << made.err;

  Ran wrong = tolvane({"diff", source, target, "--target-key", "nope"});
  EXPECT_EQ(wrong.exit_code, 3) << wrong.err;

  Ran only = tolvane({"sync", source, target, "--only", "tag"}, "", {{"TOLVANE_TARGET_KEY", "k1"}});
  ASSERT_EQ(only.exit_code, 0) << only.err;
  Ran diff = tolvane({"diff", source, target, "--json"}, "", {{"TOLVANE_TARGET_KEY", "k1"}});
  EXPECT_EQ(diff.exit_code, 10);
  EXPECT_EQ(diff.out.find("\"tag\""), std::string::npos) << diff.out;
  EXPECT_NE(diff.out.find("\"customer\""), std::string::npos) << diff.out;

  Ran rest = tolvane({"sync", source, target, "--target-key", "k1"});
  ASSERT_EQ(rest.exit_code, 0) << rest.err;
  EXPECT_EQ(tolvane({"diff", source, target, "--target-key", "k1"}).exit_code, 0);
  Ran counted = tolvane({"query", target, "--key", "k1", "--csv", "--no-headers", "SELECT count(*) FROM orders"});
  EXPECT_EQ(counted.out, "2\r\n") << counted.err;
}

}  // namespace
}  // namespace Tolvane::Testing
