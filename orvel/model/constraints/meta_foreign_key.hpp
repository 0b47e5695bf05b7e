#pragma once

#include "orvel/model/constraints/meta_constraint.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaForeignKey;
using MetaForeignKeyPtr = std::shared_ptr<MetaForeignKey>;

// A FOREIGN KEY constraint: the referencing and referenced columns (names
// joined by ", ", in key order) and the actions as the database reports them.
class ORVEL_API MetaForeignKey : public MetaConstraint {
  TOLVANE_OBJECT(MetaForeignKey)

  MetaForeignKey() = default;
  static MetaForeignKeyPtr create() { return std::make_shared<MetaForeignKey>(); }
  // Sets `name`, `refer-schema` and `refer-table`.
  static MetaForeignKeyPtr with_names(OptionalText name, OptionalText refer_schema, OptionalText refer_table);

  TOLVANE_META_TEXT(refer_database, "refer-database")
  TOLVANE_META_TEXT(refer_schema, "refer-schema")
  TOLVANE_META_TEXT(refer_table, "refer-table")
  TOLVANE_META_TEXT(local_columns, "local-columns")
  TOLVANE_META_TEXT(refer_columns, "refer-columns")
  TOLVANE_META_TEXT(match_method, "match-method")
  TOLVANE_META_TEXT(delete_action, "delete-action")
  TOLVANE_META_TEXT(update_action, "update-action")
  TOLVANE_META_TEXT(deferrable, "deferrable")

  DBObject character() const override { return DBObject::Foreign; }

 private:
  std::string m_refer_database;
  std::string m_refer_schema;
  std::string m_refer_table;
  std::string m_local_columns;
  std::string m_refer_columns;
  std::string m_match_method;
  std::string m_delete_action;
  std::string m_update_action;
  std::string m_deferrable;
};

}  // namespace Tolvane::Orvel::MetaModel
