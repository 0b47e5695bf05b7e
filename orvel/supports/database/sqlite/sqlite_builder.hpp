#pragma once

#include <memory>
#include <string>
#include <vector>

#include "orvel/supports/database/sql_builder.hpp"

namespace Tolvane::Orvel::Supports::Database {

class SQLiteBuilder;
using SQLiteBuilderPtr = std::shared_ptr<SQLiteBuilder>;

// SQLite's DDL for the metadata model. Every statement names its object's
// schema when the object has one (`"aux"."t"`), and every name and literal is
// quoted with its quote character doubled; names without such characters come
// out as before. What the SQLite adapter records beyond the model's properties
// (MetaKeys) is written back, so a table filled by the adapter and built here
// is the same table again.
//
// The table rebuild (`patch_table`) runs in one transaction: foreign keys off
// and the legacy rename rule on (so the rename touches no other table, view or
// trigger), the old table renamed to a backup, the new one created and filled,
// its indexes and triggers made, the foreign keys checked, and both settings
// put back to what the connection had. Run it with a ScriptRunner, which rolls
// it back at the first failing statement. To write those settings back and to
// pick a free backup name, `patch_table` reads the connection; the other texts
// are made from the metadata alone.
//
// Thread rules: a builder keeps no state; texts may be built on any thread.
// `patch_table` and `build_schema` change the objects they are given (column
// order, table order, the "BACKUP" mark), so one object must not be built on
// two threads at once.
class ORVEL_API SQLiteBuilder final : public SqlBuilder {
  TOLVANE_OBJECT(SQLiteBuilder)

  using SqlBuilder::SqlBuilder;
  // Null, with a critical, without a connection.
  static SQLiteBuilderPtr create(Contracts::Database::IConnection* connection);

  std::string build_create(const MetaObjectPtr& meta_object, bool use_raw_type) override;
  std::string build_delete(const MetaObjectPtr& meta_object) override;
  std::string build_patch(const MetaObjectPtr& meta_object, bool use_raw_type) override;
  std::string create_database(const MetaModel::MetaDatabasePtr& database, bool use_raw_type) override;
  std::string build_schema(const MetaModel::MetaSchemaPtr& schema, bool use_raw_type) override;
  std::string build_table(const MetaModel::MetaTablePtr& table, bool use_raw_type) override;
  std::string build_view(const MetaModel::MetaViewPtr& view) override;
  std::string build_index(const MetaModel::MetaIndexPtr& index) override;
  std::string build_trigger(const MetaModel::MetaTriggerPtr& trigger) override;
  std::string patch_table(const MetaModel::MetaTablePtr& table) override;
  Core::Status check_table(const MetaModel::MetaTablePtr& table) override;

 private:
  std::string build_table_schema(MetaModel::MetaTable& table, bool use_raw_type, bool with_seed);
  std::string build_table_indexes(const MetaModel::MetaTable& table);
  std::string build_table_triggers(const MetaModel::MetaTable& table);
  // "<name>_old_<local time>", with a counter when that name is taken.
  std::string backup_name(const MetaModel::MetaTable& table);
  // EXPLAIN statements that compile every view and trigger that names the
  // table, and the table's own triggers: a column they use that the rebuild
  // removed or renamed fails them ("no such column"), while nothing runs.
  std::string dependent_checks(const MetaModel::MetaTable& table);
  // The table and the tables whose foreign keys refer to it.
  std::vector<std::string> checked_tables(const MetaModel::MetaTable& table);
  // The value of a connection setting ("PRAGMA <name>"), or `fallback`.
  std::string setting(const char* name, const char* fallback);
};

}  // namespace Tolvane::Orvel::Supports::Database
