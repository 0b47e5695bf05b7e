#include <gtest/gtest.h>

#include "orvel/supports/database/sqlite_inspector.hpp"
#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Orvel::Supports::Database {
namespace {

using Contracts::Database::DbMetaType;
using Contracts::Database::IConnection;
using Providers::Contracts::DataType;
using Strings = std::vector<std::string>;

// The inspector never calls its connection; any distinct address stands in for one.
class SQLiteInspectorTest : public ::testing::Test {
 protected:
  int m_stand_in = 0;
  IConnection* m_conn = reinterpret_cast<IConnection*>(&m_stand_in);
  SQLiteInspectorPtr m_inspector = SQLiteInspector::create(m_conn);
};

TEST_F(SQLiteInspectorTest, KeepsItsConnectionAndNeedsOne) {
  EXPECT_EQ(m_inspector->get_connection(), m_conn);
  EXPECT_TRUE(SQLiteInspector::static_type().is_a(Contracts::Database::IInspectable::static_type()));
  EXPECT_EQ(SQLiteInspector::static_type().name(), "TolvaneOrvelSupportsDatabaseSQLiteInspector");

  Testing::GLibLogCapture log;
  EXPECT_EQ(SQLiteInspector::create(nullptr), nullptr);
  EXPECT_TRUE(log.has_critical("conn != NULL"));
}

TEST_F(SQLiteInspectorTest, SupportListsKeepTheirOrder) {
  EXPECT_EQ(m_inspector->support(DbMetaType::COLUMN_DEFAULT), (Strings{"EMPYT STRING", "NULL"}));
  EXPECT_EQ(m_inspector->support(DbMetaType::DEFERRED_ACTION),
            (Strings{"NOT", "NOTHING", "INITIALLY IMMEDIATE", "INITIALLY DEFERRED"}));
  EXPECT_EQ(m_inspector->support(DbMetaType::SYNC_TRANSFER),
            (Strings{"AUTOINC", "CHECK", "FOREIGN", "INDEX", "TRIGGER", "UNIQUE", "BLOB", "INSERT", "TRANSACTION",
                     "CONTINUE", "DROP_OBJECT", "IDENTIFIER"}));
  EXPECT_EQ(m_inspector->support(DbMetaType::TRIGGER_FIRE_TIME_TABLE), (Strings{"AFTER", "BEFORE"}));
  EXPECT_EQ(m_inspector->support(DbMetaType::TRIGGER_TEMPLATE), (Strings{"BEGIN\n  -- Type the SQL Here.\nEND"}));
  EXPECT_TRUE(m_inspector->support(DbMetaType::CHARSET).empty());

  // Nineteen kinds have a list; every other kind answers with none.
  int listed = 0;
  for (int kind = 0; kind <= 93; ++kind) {
    listed += m_inspector->support(static_cast<DbMetaType>(kind)).empty() ? 0 : 1;
  }
  EXPECT_EQ(listed, 19);
}

TEST_F(SQLiteInspectorTest, NativeTypesMapCaseInsensitively) {
  struct Row {
    const char* native;
    DataType data;
    GType glib;
    const char* literal;
  };
  const Row rows[] = {
      {"varchar", DataType::String, G_TYPE_STRING, "''"},  {"Text", DataType::String, G_TYPE_STRING, "''"},
      {"INTEGER", DataType::Int64, G_TYPE_INT64, "0"},     {"numeric", DataType::Money, G_TYPE_FLOAT, "0.0"},
      {"REAL", DataType::Double, G_TYPE_DOUBLE, "0.0"},    {"blob", DataType::Blob, G_TYPE_BYTES, "0x0"},
      {"VARCHAR(32)", DataType::Unknown, G_TYPE_NONE, "''"}, {"", DataType::Unknown, G_TYPE_NONE, "''"},
      {"INT", DataType::Unknown, G_TYPE_NONE, "''"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.native);
    EXPECT_EQ(m_inspector->get_data_type(row.native), row.data);
    EXPECT_EQ(m_inspector->get_glib_type(row.native), row.glib);
    EXPECT_EQ(m_inspector->get_type_default(row.native), row.literal);
  }
}

TEST_F(SQLiteInspectorTest, SqlTypesByValueKind) {
  EXPECT_EQ(m_inspector->get_sql_type(DataType::Int32), "INTEGER");
  EXPECT_EQ(m_inspector->get_sql_type(DataType::Date), "TEXT");
  EXPECT_EQ(m_inspector->get_sql_type(DataType::DbNull), "NULL");
  EXPECT_EQ(m_inspector->get_sql_type(DataType::Unknown), "NULL");
  EXPECT_EQ(m_inspector->get_sql_type(DataType::Boolean), "INTEGER");
  EXPECT_EQ(m_inspector->get_sql_type(DataType::UInt64), "INTEGER");
  EXPECT_EQ(m_inspector->get_sql_type(DataType::Enum), "TEXT");
  EXPECT_EQ(m_inspector->get_sql_type(DataType::Money), "NUMERIC");
  EXPECT_EQ(m_inspector->get_sql_type(DataType::Decimal), "TEXT");
  EXPECT_EQ(m_inspector->get_sql_type(DataType::Float), "REAL");
  EXPECT_EQ(m_inspector->get_sql_type(DataType::Object), "BLOB");
  EXPECT_EQ(m_inspector->get_sql_type(DataType::Pointer), "TEXT");
  // Every kind the inspector maps a native type to maps back to that native type.
  for (const char* native : {"TEXT", "INTEGER", "NUMERIC", "REAL", "BLOB"}) {
    EXPECT_EQ(m_inspector->get_sql_type(m_inspector->get_data_type(native)), native);
  }
}

TEST_F(SQLiteInspectorTest, MissingNativeTypeIsAProgrammingError) {
  Testing::GLibLogCapture log;
  EXPECT_EQ(m_inspector->get_data_type(std::nullopt), DataType::Unknown);
  EXPECT_EQ(m_inspector->get_glib_type(std::nullopt), G_TYPE_INVALID);
  EXPECT_EQ(m_inspector->get_type_default(std::nullopt), std::nullopt);
  EXPECT_EQ(log.lines().size(), 3u);
  EXPECT_TRUE(log.has_critical("native_type != NULL"));
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database
