#pragma once

#include <memory>
#include <string_view>

#include "orvel/supports/database/adapter.hpp"

namespace Tolvane::Orvel::Contracts::Database {
class IInspectable;
}

namespace Tolvane::Orvel::Supports::Database {

class SQLiteAdapter;
using SQLiteAdapterPtr = std::shared_ptr<SQLiteAdapter>;

// Fills the metadata model from an SQLite database: its schema table, its
// pragmas, and its CREATE texts read with the engine's token rules
// (create_text.hpp), so that what the builder writes from a filled table
// declares the same table again.
//
// Every statement names the object's own schema (main, temp or an attached
// one). Tables and views whose names start with "sqlite_" belong to the
// engine, and the shadow tables of virtual tables to their module; a schema
// fill lists neither. A schema fill reads the schema table once for all of its
// tables, so filling a schema costs time in proportion to its size.
//
// A table fill never fails: an error on the way is logged as an uncaught error
// and the table is left without its "FILLED" mark, so that callers can tell a
// complete table from a partial one. What the model cannot carry (see
// MetaKeys::kUnsupported) is recorded on the table, and the builder refuses to
// rebuild such a table.
//
// Uses its connection synchronously on the caller's thread and keeps no state,
// so one adapter may serve several threads as the connection does.
class ORVEL_API SQLiteAdapter final : public Adapter {
  TOLVANE_OBJECT(SQLiteAdapter)

  using Adapter::Adapter;
  // Null, with a critical, without a connection.
  static SQLiteAdapterPtr create(Contracts::Database::IConnection* connection);

  Core::Status fill_meta_database(const MetaModel::MetaDatabasePtr& database, bool recursive) override;
  Core::Status fill_meta_schema(const MetaModel::MetaSchemaPtr& schema, bool recursive) override;
  Core::Status fill_meta_table(const MetaModel::MetaTablePtr& table, bool recursive) override;
  Core::Status fill_meta_view(const MetaModel::MetaViewPtr& view) override;
  Core::Status fill_meta_index(const MetaModel::MetaIndexPtr& index) override;
  Core::Status fill_meta_trigger(const MetaModel::MetaTriggerPtr& trigger) override;
  Core::Status fill_meta_object(const MetaModel::MetaObjectPtr& meta_object, bool recursive) override;

  // Gives a column a declared type the way a fill does: raw type, length and
  // data type from the text, and the text itself under
  // MetaKeys::kDeclaredType when those two do not give it back. Callers that
  // change a column's type use it to keep the four in step.
  static void set_declared_type(MetaModel::MetaColumn& column, std::string_view declared,
                                const Contracts::Database::IInspectable* inspector);

  struct Catalogue;

 private:
  Core::Status fill_table(const MetaModel::MetaTablePtr& table, bool recursive, const Catalogue* catalogue);
  Core::Status fill_view(const MetaModel::MetaViewPtr& view, const Catalogue* catalogue);
};

}  // namespace Tolvane::Orvel::Supports::Database
