#include "orvel/transform/structure_synchronizer.hpp"

#include <gtest/gtest.h>

#include "tests/orvel/supports/database/schema_fixture.hpp"

namespace Tolvane::Orvel::Transform {
namespace {

using Contracts::Thread::Progress;
using Providers::Contracts::DataVersion;
using Supports::Database::SQLiteConnection;

// Two real databases: "source.db" holds the desired structure, "target.db"
// the structure and rows to bring in line with it.
class StructureSync : public Supports::Database::Testing::SchemaTest {
 protected:
  void make(const std::string& source_sql, const std::string& target_sql) {
    m_source = open("source.db");
    m_target = open("target.db");
    run(*m_source, source_sql);
    run(*m_target, target_sql);
  }

  // A job between the two with the given options and every differing
  // object selected.
  StructureSynchronizerPtr job(Options options = {}) {
    auto probe = StructureSynchronizer::create({});
    probe->set_server_source(m_source);
    probe->set_server_target(m_target);
    EXPECT_TRUE(probe->initialize().has_value());
    auto patch = probe->preview();
    EXPECT_TRUE(patch.has_value());
    options.merge(StructureSynchronizer::select_all(
        std::static_pointer_cast<MetaModel::MetaSchema>(patch.value_or(nullptr))));
    auto made = StructureSynchronizer::create(std::move(options));
    made->set_server_source(m_source);
    made->set_server_target(m_target);
    EXPECT_TRUE(made->initialize().has_value());
    return made;
  }

  Progress::Snapshot sync(Options options = {}) {
    auto made = job(std::move(options));
    made->handle();
    m_lines = made->progress()->take_messages();
    return made->progress()->snapshot();
  }

  std::size_t steps_left() {
    auto texts = job()->generate();
    EXPECT_TRUE(texts.has_value());
    return texts ? texts->size() : 0;
  }

  std::string messages() const {
    std::string text;
    for (const std::string& line : m_lines) {
      text += line + "\n";
    }
    return text;
  }

  void expect_sound_target() {
    EXPECT_EQ(scalar(*m_target, "PRAGMA integrity_check"), "ok");
    EXPECT_TRUE(rows(*m_target, "PRAGMA foreign_key_check").empty());
    auto schema_diff = Tolvane::Testing::run_program({"sqldiff", "--schema", m_dir.file("source.db"),
                                                      m_dir.file("target.db")});
    EXPECT_EQ(schema_diff.exit_code, 0) << schema_diff.err;
    // sqldiff compares tables by their columns, indexes by their CREATE text
    // (which the builder lays out its own way): only tables must agree.
    for (const char* statement : {"CREATE TABLE", "DROP TABLE", "ALTER TABLE"}) {
      EXPECT_EQ(schema_diff.out.find(statement), std::string::npos) << schema_diff.out;
    }
  }

  std::shared_ptr<SQLiteConnection> m_source;
  std::shared_ptr<SQLiteConnection> m_target;
  std::vector<std::string> m_lines;
};

TEST_F(StructureSync, TypicalChangesKeepEveryRowThatStays) {
  make(R"(
    CREATE TABLE dept (id INTEGER PRIMARY KEY, name TEXT NOT NULL, budget NUMERIC(10,2));
    CREATE TABLE emp (id INTEGER PRIMARY KEY AUTOINCREMENT, dept INTEGER REFERENCES dept(id), full_name TEXT,
                      salary REAL, hired DATETIME);
    CREATE INDEX emp_dept ON emp (dept, salary);
    CREATE TABLE kv (k TEXT PRIMARY KEY, v BLOB) WITHOUT ROWID;
    CREATE TABLE fresh (a INTEGER);
    CREATE VIEW staff AS SELECT full_name, salary FROM emp;
    CREATE VIEW rich AS SELECT id FROM emp WHERE salary > 100;
    CREATE TRIGGER emp_log AFTER UPDATE OF salary ON emp BEGIN SELECT 1; END;
  )",
       R"(
    CREATE TABLE dept (id INTEGER PRIMARY KEY, name TEXT NOT NULL, budget TEXT, obsolete TEXT);
    CREATE TABLE emp (id INTEGER PRIMARY KEY AUTOINCREMENT, dept INTEGER REFERENCES dept(id), name TEXT,
                      salary INTEGER, hired DATETIME, note TEXT);
    CREATE INDEX emp_dept ON emp (dept);
    CREATE INDEX emp_note ON emp (note);
    CREATE TABLE kv (k TEXT PRIMARY KEY, v TEXT) WITHOUT ROWID;
    CREATE TABLE gone (a INTEGER);
    CREATE VIEW staff AS SELECT name, note, salary FROM emp;
    CREATE VIEW old_view AS SELECT note FROM emp;
    CREATE TRIGGER emp_log AFTER UPDATE OF note ON emp BEGIN SELECT 2; END;
    INSERT INTO dept VALUES (1, 'R&D', '1000.50', 'x'), (2, 'Sales', NULL, 'y');
    INSERT INTO emp (dept, name, salary, hired, note) VALUES (1, 'Ada', 120, '2020-01-01', 'n1'), (2, 'Bo', 90, NULL, 'n2');
    INSERT INTO kv VALUES ('a', 'one'), ('b', 'two');
    DELETE FROM emp WHERE id = 2;
    INSERT INTO emp (dept, name, salary) VALUES (2, 'Cy', 80);
  )");
  const auto progress = sync();
  EXPECT_EQ(progress.failed, 0) << messages();
  EXPECT_TRUE(progress.finished);
  EXPECT_GT(progress.processed, 0);
  expect_sound_target();
  EXPECT_EQ(steps_left(), 0u);

  // Rows stay; the renamed column (same place, new name) keeps its data.
  EXPECT_EQ(rows(*m_target, "SELECT id, name, quote(budget) FROM dept ORDER BY id"),
            (std::vector<std::string>{"1|R&D|1000.5", "2|Sales|NULL"}));
  EXPECT_EQ(rows(*m_target, "SELECT id, dept, full_name, quote(salary), hired FROM emp ORDER BY id"),
            (std::vector<std::string>{"1|1|Ada|120.0|2020-01-01", "3|2|Cy|80.0|NULL"}));
  EXPECT_EQ(rows(*m_target, "SELECT k, v FROM kv ORDER BY k"), (std::vector<std::string>{"a|one", "b|two"}));
  // The counter handed out 3 keys; none comes back.
  EXPECT_EQ(scalar(*m_target, "SELECT seq FROM sqlite_sequence WHERE name = 'emp'"), "3");
  EXPECT_EQ(scalar(*m_target, "SELECT count(*) FROM sqlite_master WHERE name LIKE '%\\_old\\_%' ESCAPE '\\'"), "0");
  EXPECT_EQ(describe(*m_target, "main"), describe(*m_source, "main"));
}

TEST_F(StructureSync, AFailureHalfwayLeavesTheTargetAsItWas) {
  make(R"(
    CREATE TABLE a (x INTEGER);
    CREATE TABLE b (x INTEGER NOT NULL, y TEXT);
    CREATE TABLE c (x INTEGER, z TEXT);
  )",
       R"(
    CREATE TABLE a (x INTEGER, old TEXT);
    CREATE TABLE b (x INTEGER, y TEXT);
    CREATE TABLE c (x INTEGER);
    CREATE TABLE d (x INTEGER);
    INSERT INTO a VALUES (1, 'keep');
    INSERT INTO b VALUES (NULL, 'violates'), (2, 'fine');
    INSERT INTO c VALUES (3);
  )");
  m_target->close();
  copy_file(m_dir.file("target.db"), m_dir.file("before.db"));
  m_target = open("target.db");
  const std::string before = describe(*m_target, "main");

  const auto progress = sync();
  EXPECT_EQ(progress.failed, 1);
  EXPECT_TRUE(progress.finished);
  EXPECT_NE(messages().find("NOT NULL constraint failed"), std::string::npos) << messages();
  EXPECT_NE(messages().find("rolled back"), std::string::npos) << messages();
  EXPECT_EQ(describe(*m_target, "main"), before);
  EXPECT_EQ(sqldiff(m_dir.file("before.db"), m_dir.file("target.db")), "");
  EXPECT_EQ(scalar(*m_target, "PRAGMA foreign_keys"), "0");
  EXPECT_EQ(scalar(*m_target, "PRAGMA legacy_alter_table"), "0");
}

TEST_F(StructureSync, ContinuingRunsEachStepWholeOrNotAtAll) {
  make("CREATE TABLE b (x INTEGER NOT NULL); CREATE TABLE c (x INTEGER, z TEXT);",
       "CREATE TABLE b (x INTEGER); CREATE TABLE c (x INTEGER); INSERT INTO b VALUES (NULL); INSERT INTO c VALUES (3);");
  const auto progress = sync({{"OPTION|RESULT|CONTINUE", "true"}});
  EXPECT_EQ(progress.failed, 1) << messages();
  EXPECT_EQ(progress.processed, 2);
  EXPECT_EQ(rows(*m_target, "SELECT x, z FROM c"), std::vector<std::string>{"3|NULL"});
  EXPECT_EQ(rows(*m_target, "SELECT x FROM b"), std::vector<std::string>{"NULL"});
  EXPECT_EQ(scalar(*m_target, "SELECT count(*) FROM sqlite_master WHERE type = 'table'"), "2");
}

TEST_F(StructureSync, StopsAtTheFirstFailureUnlessContinuingIsExactlyTrue) {
  make("CREATE TABLE b (x INTEGER NOT NULL); CREATE TABLE c (x INTEGER, z TEXT);",
       "CREATE TABLE b (x INTEGER); CREATE TABLE c (x INTEGER); INSERT INTO b VALUES (NULL);");
  const auto progress = sync({{"OPTION|RESULT|CONTINUE", "TRUE"}});
  EXPECT_EQ(progress.failed, 1);
  EXPECT_EQ(progress.processed, 1);
  EXPECT_EQ(rows(*m_target, "SELECT name FROM pragma_table_info('c')"), std::vector<std::string>{"x"});
}

TEST_F(StructureSync, SelectsOnlyNamedObjects) {
  make("CREATE TABLE t (a, b); CREATE TABLE u (a);", "CREATE TABLE t (a);");
  auto unselected = StructureSynchronizer::create({});
  unselected->set_server_source(m_source);
  unselected->set_server_target(m_target);
  ASSERT_TRUE(unselected->initialize().has_value());
  EXPECT_TRUE(unselected->generate()->empty());

  auto only_u = StructureSynchronizer::create({{"OPTION|table|u", ""}});
  only_u->set_server_source(m_source);
  only_u->set_server_target(m_target);
  ASSERT_TRUE(only_u->initialize().has_value());
  only_u->handle();
  EXPECT_EQ(only_u->progress()->processed(), 1);
  EXPECT_EQ(rows(*m_target, "SELECT name FROM sqlite_master ORDER BY name"), (std::vector<std::string>{"t", "u"}));
  EXPECT_EQ(rows(*m_target, "SELECT name FROM pragma_table_info('t')"), std::vector<std::string>{"a"});
}

TEST_F(StructureSync, ViewUpdateIsDropLineBreakCreate) {
  make("CREATE TABLE t (a, b); CREATE VIEW v AS SELECT a FROM t;",
       "CREATE TABLE t (a, b); CREATE VIEW v AS SELECT b FROM t;");
  auto texts = job()->generate();
  ASSERT_TRUE(texts.has_value());
  ASSERT_EQ(texts->size(), 1u);
  EXPECT_TRUE(texts->front().starts_with("DROP VIEW IF EXISTS `main`.`v`;\nCREATE VIEW `main`.`v` AS SELECT a FROM t"))
      << texts->front();
}

TEST_F(StructureSync, DropsOnlyTheTargetSchemasTable) {
  make("CREATE TABLE keep (a);", "CREATE TABLE keep (a); CREATE TABLE extra (a); INSERT INTO extra VALUES (1);");
  run(*m_target, "CREATE TEMP TABLE extra (t); INSERT INTO temp.extra VALUES ('temp row');");
  const auto progress = sync();
  EXPECT_EQ(progress.failed, 0) << messages();
  EXPECT_EQ(scalar(*m_target, "SELECT count(*) FROM main.sqlite_master WHERE name = 'extra'"), "0");
  EXPECT_EQ(rows(*m_target, "SELECT t FROM temp.extra"), std::vector<std::string>{"temp row"});
}

TEST_F(StructureSync, ATableTheBuilderCannotReproduceIsAFailedStep) {
  make("CREATE TABLE t (a INTEGER, b TEXT, c TEXT, PRIMARY KEY (a DESC));",
       "CREATE TABLE t (a INTEGER, b TEXT, PRIMARY KEY (a DESC)); INSERT INTO t VALUES (1, 'x');");
  const auto progress = sync();
  EXPECT_EQ(progress.failed, 1);
  EXPECT_NE(messages().find("cannot rebuild"), std::string::npos) << messages();
  EXPECT_EQ(rows(*m_target, "SELECT * FROM t"), std::vector<std::string>{"1|x"});
}

TEST_F(StructureSync, NamesThatDifferOnlyInCaseAreRefusedNotDropped) {
  make("CREATE TABLE Orders (id INTEGER PRIMARY KEY, note TEXT);",
       "CREATE TABLE orders (id INTEGER PRIMARY KEY, note TEXT); INSERT INTO orders VALUES (1, 'kept');");
  const auto progress = sync({{"OPTION|RESULT|CONTINUE", "true"}});
  EXPECT_EQ(progress.failed, 2) << messages();
  EXPECT_NE(messages().find("different letter case"), std::string::npos) << messages();
  EXPECT_EQ(rows(*m_target, "SELECT note FROM orders"), std::vector<std::string>{"kept"});
}

TEST_F(StructureSync, PreviewLeavesCleanTrees) {
  make("CREATE TABLE t (a, b);", "CREATE TABLE t (a);");
  auto made = job();
  auto patch = made->preview();
  ASSERT_TRUE(patch.has_value());
  ASSERT_NE(*patch, nullptr);
  for (const auto& table : made->schema_target()->get_tables()) {
    EXPECT_EQ(table->get_version(), DataVersion::Initial);
    for (const auto& column : table->get_columns()) {
      EXPECT_EQ(column->get_version(), DataVersion::Initial);
    }
  }
}

}  // namespace
}  // namespace Tolvane::Orvel::Transform
