// The explorer's object lists, as the front end shows them.

#include "orvel/contracts/database/explorable.hpp"
#include "orvel/model/meta_database.hpp"
#include "tests/orvel/supports/database/schema_fixture.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {
namespace {

using Providers::Contracts::DBObject;
using Providers::Contracts::TableModel;

class SQLiteExplorerTest : public SchemaTest {
 protected:
  void SetUp() override {
    run(*m_connection,
        "CREATE TABLE t (a); CREATE INDEX ti ON t (a); CREATE VIEW v AS SELECT a FROM t;"
        "CREATE TRIGGER tt AFTER INSERT ON t BEGIN SELECT 1; END;"
        "CREATE TRIGGER vt INSTEAD OF INSERT ON v BEGIN SELECT 1; END;"
        "ATTACH " + Database::quoted(m_dir.file("x.db"), '\'') + " AS \"x`y\"; CREATE TABLE \"x`y\".u (b);");
  }

  std::shared_ptr<TableModel> load(const char* schema, DBObject type) {
    auto loaded = m_connection->explorer()->load_objects("db", schema, type, m_extra);
    EXPECT_TRUE(loaded.has_value()) << loaded.error().message;
    return loaded ? *loaded : nullptr;
  }

  static std::vector<std::string> titles(const TableModel& table) {
    std::vector<std::string> found;
    for (const auto& column : table.get_columns()) {
      found.push_back(column->get_title().value_or(""));
    }
    return found;
  }

  static std::vector<std::string> cells(const TableModel& table) {
    std::vector<std::string> found;
    for (const auto& row : table.get_rows()) {
      std::string line;
      for (const auto& value : row->get_values()) {
        line += (line.empty() ? "" : "|") + value->to_string();
      }
      found.push_back(line);
    }
    return found;
  }

  std::shared_ptr<SQLiteConnection> m_connection = open("explorer.db");
  Core::ObjectPtr m_extra = MetaModel::MetaDatabase::create();
};

TEST_F(SQLiteExplorerTest, ListsEachKindWithItsTitles) {
  auto tables = load("", DBObject::Table);
  EXPECT_EQ(titles(*tables), (std::vector<std::string>{"Name", "Indexes", "Triggers", "Root page"}));
  ASSERT_EQ(tables->get_rows().size(), 1u);
  EXPECT_TRUE(cells(*tables)[0].starts_with("t|1|1|"));
  EXPECT_NE(main_log().find("\r\nSELECT\r\n    m.name,\r\n"), std::string::npos);

  EXPECT_EQ(cells(*load("x`y", DBObject::Table)).size(), 1u);
  EXPECT_EQ(cells(*load("main", DBObject::View)), (std::vector<std::string>{"v"}));
  auto indexes = load("main", DBObject::Index);
  EXPECT_EQ(titles(*indexes), (std::vector<std::string>{"Name", "Table name", "Root page"}));
  auto triggers = load("main", DBObject::Trigger);
  EXPECT_EQ(titles(*triggers), (std::vector<std::string>{"Name", "Hoster name", "Hoster type"}));
  EXPECT_EQ(cells(*triggers), (std::vector<std::string>{"tt|t|Table", "vt|v|View"}));

  auto database = load("main", DBObject::Database);
  ASSERT_EQ(cells(*database).size(), 1u);
  EXPECT_EQ(cells(*database)[0], m_dir.file("explorer.db") + "|SQLite database|" + m_connection->get_version() +
                                     "|UTF-8|NO");
  auto schemas = load("main", DBObject::Schema);
  EXPECT_EQ(titles(*schemas), (std::vector<std::string>{"Name", "File", "Version"}));
  EXPECT_EQ(cells(*schemas).size(), 2u);
  EXPECT_TRUE(load("main", DBObject::Column)->get_columns().empty());
}

TEST_F(SQLiteExplorerTest, MissingArgumentsAreProgrammingErrors) {
  auto loaded = m_connection->explorer()->load_objects(std::nullopt, "main", DBObject::Table, m_extra);
  ASSERT_TRUE(loaded.has_value());
  EXPECT_EQ(*loaded, nullptr);
  EXPECT_TRUE(m_log.has_critical("database != NULL"));
  loaded = m_connection->explorer()->load_objects("db", "main", DBObject::Table, nullptr);
  EXPECT_TRUE(m_log.has_critical("extra_data != NULL"));
  EXPECT_FALSE(m_connection->explorer()->load_objects("db", "nosuch", DBObject::View, m_extra).has_value());
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database::Testing
