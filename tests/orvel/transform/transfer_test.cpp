// The transfer job between real database files: what a copy keeps (every
// value's class and bytes, declared types, triggers, views, literals with
// ';'), the selection options, and what a failure leaves behind.

#include <algorithm>
#include <sstream>

#include "orvel/transform/transfer.hpp"
#include "orvel/transform/transfer_fields.hpp"
#include "tests/orvel/supports/database/schema_fixture.hpp"

namespace Tolvane::Orvel::Transform {
namespace {

using Supports::Database::SQLiteConnection;

constexpr const char* kZoo = R"sql(
CREATE TABLE kinds (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  small INT, big BIGINT, stamp DATETIME, ratio DOUBLE, anything, "order" TEXT, "my col" CHAR(3),
  price NUMERIC(10,2), data BLOB, note TEXT DEFAULT 'x;y'
);
CREATE INDEX kinds_ratio ON kinds (ratio) WHERE ratio > 0;
CREATE TABLE audit (msg TEXT);
CREATE TRIGGER kinds_ins AFTER INSERT ON kinds BEGIN INSERT INTO audit VALUES ('new; ' || new.id); END;
CREATE VIEW cheap AS SELECT id, price FROM kinds WHERE price < 10;
INSERT INTO kinds (small, big, stamp, ratio, anything, "order", "my col", price, data, note) VALUES
  (NULL, 9223372036854775807, '2024-03-01 10:00:00', 1e-7, 5, 'a''b', 'abc', 9.99, x'0041', 'x;y'),
  (1, -9223372036854775808, NULL, 3.14159265358979, 'abc', NULL, NULL, 12, x'68656c6c6f', NULL),
  (2, 0, 'soon', -0.0, x'410042', 'tab	here', 'd"e', '7.5', x'', ''),
  (3, 42, 1700000000, 1e300, 2.5, 'line
break', '', NULL, NULL, 'é ü 漢');
DELETE FROM kinds WHERE id = 4;
INSERT INTO kinds (small) VALUES (4);
)sql";

class TransferTest : public Supports::Database::Testing::SchemaTest {
 protected:
  // Runs a transfer from `source` into `target` with `options`.
  TransferPtr run_transfer(const std::string& source, const std::string& target, Options options) {
    m_source = open(source);
    m_target = open(target);
    auto job = Transfer::create(std::move(options));
    job->set_server_source(m_source);
    job->set_server_target(m_target);
    job->handle();
    EXPECT_TRUE(job->progress()->finished());
    return job;
  }

  // Options that select the main schema and `tables` (views too) unchanged.
  static Options everything(std::initializer_list<const char*> tables) {
    Options options{{"schema|main|MODE", ""}};
    for (const char* table : tables) {
      options[std::string("table|") + table + "|MODE"] = "";
    }
    return options;
  }

  void make(const std::string& name, const std::string& sql) {
    auto connection = open(name);
    run(*connection, sql);
    connection->close();
  }

  // The row differences `sqldiff` finds (its schema lines left aside: the
  // builder lays CREATE texts out anew).
  static std::string data_diff(const std::string& first, const std::string& second) {
    std::string found;
    std::istringstream text(sqldiff(first, second));
    for (std::string line; std::getline(text, line);) {
      if (line.starts_with("INSERT") || line.starts_with("UPDATE") || line.starts_with("DELETE")) {
        found += line + "\n";
      }
    }
    return found;
  }

  static std::string lines(const std::vector<std::string>& found) {
    std::string text;
    for (const std::string& line : found) {
      text += line + "\n";
    }
    return text;
  }

  std::shared_ptr<SQLiteConnection> m_source;
  std::shared_ptr<SQLiteConnection> m_target;
};

TEST_F(TransferTest, CopyKeepsEveryValueTypeTriggerAndView) {
  make("a.db", kZoo);
  auto job = run_transfer("a.db", "b.db", everything({"kinds", "audit", "cheap"}));
  ASSERT_FALSE(job->broken()) << job->broken()->message;
  EXPECT_EQ(job->progress()->failed(), 0);
  EXPECT_EQ(job->rows_copied(), 9);  // 4 in kinds, 5 in audit
  m_source->close();
  m_target->close();
  // Same rows in every table (the AUTOINCREMENT counter included), and the
  // trigger did not fire for the copied rows.
  EXPECT_EQ(data_diff(m_dir.file("a.db"), m_dir.file("b.db")), "");
  auto source = open("a.db");
  auto target = open("b.db");
  const std::string cells = "SELECT id, typeof(small), typeof(big), typeof(stamp), typeof(ratio), typeof(anything), "
                            "typeof(price), quote(data), quote(ratio), quote(anything) FROM kinds ORDER BY id";
  EXPECT_EQ(lines(rows(*target, cells)), lines(rows(*source, cells)));
  EXPECT_EQ(describe(*target, "main"), describe(*source, "main"));
  EXPECT_EQ(scalar(*target, "SELECT seq FROM sqlite_sequence WHERE name = 'kinds'"), "5");
  // The trigger and the view work in the target.
  run(*target, "INSERT INTO kinds (small) VALUES (9);");
  EXPECT_EQ(scalar(*target, "SELECT msg FROM audit ORDER BY rowid DESC LIMIT 1"), "new; 6");
  EXPECT_EQ(scalar(*target, "SELECT count(*) FROM audit"), "6");
  EXPECT_EQ(scalar(*target, "SELECT count(*) FROM cheap"), "2");
  EXPECT_EQ(scalar(*target, "PRAGMA integrity_check"), "ok");
}

TEST_F(TransferTest, ReportsEachStepWithItsTexts) {
  make("a.db", kZoo);
  auto job = run_transfer("a.db", "b.db", everything({"audit"}));
  const auto messages = job->progress()->take_messages();
  auto has = [&](const std::string& text) {
    return std::any_of(messages.begin(), messages.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(has(" Load meta data......[done]"));
  EXPECT_TRUE(has(" tidy table: .main.audit......[done]"));
  EXPECT_TRUE(has(" create table......[done]\nCREATE TABLE IF NOT EXISTS \"main\".\"audit\""));
  EXPECT_TRUE(has(" truncate table: .main.audit......[done]"));
  EXPECT_TRUE(has(" transfer table data .main.audit......[done]\n"));
  // A row's line is its INSERT with the values written out.
  EXPECT_TRUE(has(" INSERT INTO main.audit(msg) VALUES('new; 1');"));
  // Lines start with the local time and milliseconds.
  ASSERT_FALSE(messages.empty());
  EXPECT_TRUE(g_regex_match_simple("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} ", messages[0].c_str(),
                                   G_REGEX_DEFAULT, G_REGEX_MATCH_DEFAULT))
      << messages[0];
  // Not chosen: neither created nor copied.
  EXPECT_EQ(scalar(*m_target, "SELECT count(*) FROM sqlite_master WHERE name IN ('kinds', 'cheap')"), "0");
  EXPECT_TRUE(m_log.contains(G_LOG_LEVEL_WARNING, "transfer:"));
  EXPECT_TRUE(m_log.contains(G_LOG_LEVEL_WARNING, "Process continue: false"));
  EXPECT_TRUE(m_log.contains(G_LOG_LEVEL_WARNING, "Handle finished."));
}

TEST_F(TransferTest, PagesAreCutFromOneReadWhateverTheBatchSays) {
  make("a.db", "CREATE TABLE t (n INTEGER); WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c "
               "WHERE n < 25) INSERT INTO t SELECT n FROM c;");
  for (const auto& [batch, pages] : std::vector<std::pair<std::string, int>>{
           {"10", 3}, {"0", 1}, {"-5", 1}, {"abc", 1}, {"99999999999", 1}, {"25", 1}}) {
    Options options = everything({});
    options["table|t|MODE"] = "true";
    options["table|t|BATCH"] = batch;
    auto job = run_transfer("a.db", "b.db", options);
    ASSERT_FALSE(job->broken()) << batch << ": " << job->broken()->message;
    const auto messages = job->progress()->take_messages();
    const auto count = std::count_if(messages.begin(), messages.end(), [](const std::string& line) {
      return line.find(" transfer data .main.t......\nSELECT n FROM `main`.`t` ") != std::string::npos;
    });
    EXPECT_EQ(count, pages) << "BATCH " << batch;
    // The target is emptied first, so every run leaves exactly the rows.
    EXPECT_EQ(scalar(*m_target, "SELECT count(*) || ' ' || sum(n) FROM t"), "25 325") << batch;
  }
}

TEST_F(TransferTest, FieldsPickAndRenameColumnsAndTheirIndexes) {
  make("a.db", R"sql(
    CREATE TABLE people (id INTEGER PRIMARY KEY, name TEXT UNIQUE, xid INT, secret TEXT, age INT);
    CREATE INDEX people_secret ON people (secret);
    CREATE INDEX people_name ON people (name COLLATE NOCASE, age);
    INSERT INTO people VALUES (1, 'ann', 7, 's1', 30), (2, 'bob', 8, 's2', 40);)sql");
  Options options = everything({});
  options["table|people|MODE"] = "true";
  options["table|people|NAME"] = "staff";
  options["table|people|FIELDS"] = "xid=ref;name=label; age = years;bogus;";
  auto job = run_transfer("a.db", "b.db", options);
  ASSERT_FALSE(job->broken()) << job->broken()->message;
  // id stays by the substring rule ("id=" occurs in "xid=ref") but gets no data.
  EXPECT_EQ(lines(rows(*m_target, "SELECT name FROM pragma_table_info('staff')")), "id\nlabel\nref\nyears\n");
  EXPECT_EQ(lines(rows(*m_target, "SELECT label, ref, years FROM staff ORDER BY label")), "ann|7|30\nbob|8|40\n");
  EXPECT_EQ(lines(rows(*m_target, "SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name")),
            "people_name\nsqlite_autoindex_staff_1\n");
  EXPECT_EQ(scalar(*m_target, "SELECT group_concat(name) FROM pragma_index_info('people_name')"), "label,years");
}

TEST_F(TransferTest, RecordsCopyEachConditionInTurn) {
  make("a.db", "CREATE TABLE t (n INTEGER, s TEXT); "
               "INSERT INTO t VALUES (1, 'a;b'), (2, 'c'), (3, 'd'), (4, 'a;b');");
  Options options = everything({});
  options["table|t|MODE"] = "true";
  options["table|t|RECORDS"] = "s = 'a;b'; n = 3;";
  auto job = run_transfer("a.db", "b.db", options);
  ASSERT_FALSE(job->broken()) << job->broken()->message;
  EXPECT_EQ(lines(rows(*m_target, "SELECT n FROM t ORDER BY rowid")), "1\n4\n3\n");
}

TEST_F(TransferTest, ViewToTableReplacesTheView) {
  make("a.db", "CREATE TABLE t (id INTEGER PRIMARY KEY, price NUMERIC(10,2), label VARCHAR(20)); "
               "CREATE VIEW v AS SELECT id, price * 2 AS doubled, label FROM t;");
  Options options = everything({"t"});
  options["table|v|MODE"] = "true";
  options["table|v|VIEW2TABLE"] = "true";
  options["view|v|FIELDS"] = "id=id;label=name";
  auto job = run_transfer("a.db", "b.db", options);
  ASSERT_FALSE(job->broken()) << job->broken()->message;
  EXPECT_EQ(scalar(*m_target, "SELECT type FROM sqlite_master WHERE name = 'v'"), "table");
  EXPECT_EQ(lines(rows(*m_target, "SELECT name, type FROM pragma_table_info('v')")), "id|INTEGER\nname|VARCHAR(20)\n");
}

TEST_F(TransferTest, FailingRowKeepsTheCommittedPagesAndStopsTheJob) {
  make("a.db", "CREATE TABLE t (n INTEGER); INSERT INTO t VALUES (1), (2), (3), (-4), (5); "
               "CREATE TABLE u (n INTEGER); INSERT INTO u VALUES (1);");
  make("b.db", "CREATE TABLE t (n INTEGER CHECK (n > 0)); CREATE TABLE u (n INTEGER);");
  run(*open("a.db"), "CREATE INDEX u_n ON u (n);");
  Options options = everything({"u"});
  options["table|t|MODE"] = "true";
  options["table|t|BATCH"] = "2";
  auto job = run_transfer("a.db", "b.db", options);
  ASSERT_TRUE(job->broken());
  EXPECT_NE(job->broken()->message.find("CHECK constraint failed"), std::string::npos) << job->broken()->message;
  // The pages before the failing row, and its row before it, are kept.
  EXPECT_EQ(lines(rows(*m_target, "SELECT n FROM t")), "1\n2\n3\n");
  EXPECT_EQ(job->progress()->failed(), 2);  // the row and the table
  // Nothing after the failure: u, which comes after t, is not copied.
  EXPECT_EQ(scalar(*m_target, "SELECT count(*) FROM u"), "0");
  // The structure is made whole all the same: indexes wait for the rows.
  EXPECT_EQ(scalar(*m_target, "SELECT name FROM sqlite_master WHERE type = 'index'"), "u_n");
  EXPECT_TRUE(m_log.contains(G_LOG_LEVEL_WARNING, "Process is broken: CHECK constraint failed"));

  // Going on after failures copies the next table.
  options["OPTION|RESULT|CONTINUE"] = "true";
  m_target->close();
  job = run_transfer("a.db", "b.db", options);
  EXPECT_FALSE(job->broken());
  EXPECT_EQ(scalar(*m_target, "SELECT count(*) FROM u"), "1");
}

TEST_F(TransferTest, TargetSchemaIsRespectedAndDropObjectsDrops) {
  make("a.db", "CREATE TABLE t (n INTEGER); INSERT INTO t VALUES (1), (2);");
  make("b.db", "CREATE TABLE t (n INTEGER, old TEXT); INSERT INTO t VALUES (7, 'x');");
  m_source = open("a.db");
  m_target = open("b.db");
  // A temporary table of the same name is what unqualified names reach first.
  run(*m_target, "CREATE TEMP TABLE t (n INTEGER); INSERT INTO temp.t VALUES (99);");
  Options options = everything({"t"});
  options["OPTION|RESULT|DROP_OBJECT"] = "true";
  auto job = Transfer::create(options);
  job->set_server_source(m_source);
  job->set_server_target(m_target);
  job->handle();
  ASSERT_FALSE(job->broken()) << job->broken()->message;
  EXPECT_EQ(lines(rows(*m_target, "SELECT n FROM main.t")), "1\n2\n");
  EXPECT_EQ(lines(rows(*m_target, "SELECT name FROM pragma_table_info('t', 'main')")), "n\n");
  EXPECT_EQ(lines(rows(*m_target, "SELECT n FROM temp.t")), "99\n");
}

TEST_F(TransferTest, EncryptedSourceIntoPlainTarget) {
  auto secret = profile("secret.db");
  secret->set_options("PASSWORD=p;w'd");
  auto connection = SQLiteConnection::create();
  ASSERT_TRUE(connection->open(secret, nullptr).has_value());
  run(*connection, "CREATE TABLE t (id INTEGER PRIMARY KEY, b BLOB); INSERT INTO t VALUES (1, x'00ff'), (2, NULL);");
  m_target = open("plain.db");
  auto job = Transfer::create(everything({"t"}));
  job->set_server_source(connection);
  job->set_server_target(m_target);
  job->handle();
  ASSERT_FALSE(job->broken()) << job->broken()->message;
  EXPECT_EQ(lines(rows(*m_target, "SELECT id, quote(b) FROM t")), "1|X'00FF'\n2|NULL\n");
}

TEST(TransferFields, EntriesWithoutBothSidesNameNothing) {
  const auto entries = parse_fields("a=b;;c; =d;e= ; f = g ;");
  ASSERT_EQ(entries.size(), 2U);
  EXPECT_EQ(entries[1].source, "f");
  EXPECT_EQ(entries[1].target, "g");
  EXPECT_EQ(collect_columns_customize("a=b;f=g", false), (std::vector<std::string>{"b", "g"}));
}

}  // namespace
}  // namespace Tolvane::Orvel::Transform
