#pragma once

#include "orvel/model/constraints/meta_constraint.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaUnique;
using MetaUniquePtr = std::shared_ptr<MetaUnique>;

// A unique key, or the primary key when `is-primary-key` is set.
class ORVEL_API MetaUnique : public MetaConstraint {
  TOLVANE_OBJECT(MetaUnique)

  MetaUnique() = default;
  static MetaUniquePtr create() { return std::make_shared<MetaUnique>(); }
  static MetaUniquePtr with_name(OptionalText name);

  // Key column names joined by ", ".
  TOLVANE_META_TEXT(columns, "columns")
  TOLVANE_META_TEXT(conflict, "conflict")
  TOLVANE_META_VALUE(bool, is_primary_key, "is-primary-key")
  TOLVANE_META_TEXT(table_space, "table-space")
  TOLVANE_META_TEXT(with, "with")
  TOLVANE_META_TEXT(include, "include")
  TOLVANE_META_TEXT(deferrable, "deferrable")

  // A primary key is a unique key too.
  DBObject character() const override { return DBObject::Unique; }

 private:
  std::string m_columns;
  std::string m_conflict;
  bool m_is_primary_key = false;
  std::string m_table_space;
  std::string m_with;
  std::string m_include;
  std::string m_deferrable;
};

}  // namespace Tolvane::Orvel::MetaModel
