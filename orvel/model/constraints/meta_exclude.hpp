#pragma once

#include "orvel/model/constraints/meta_constraint.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaExclude;
using MetaExcludePtr = std::shared_ptr<MetaExclude>;

// An EXCLUDE constraint.
class ORVEL_API MetaExclude : public MetaConstraint {
  TOLVANE_OBJECT(MetaExclude)

  MetaExclude() = default;
  static MetaExcludePtr create() { return std::make_shared<MetaExclude>(); }
  static MetaExcludePtr with_name(OptionalText name);

  TOLVANE_META_TEXT(index_method, "index-method")
  TOLVANE_META_TEXT(table_space, "table-space")
  TOLVANE_META_TEXT(with, "with")
  TOLVANE_META_TEXT(include, "include")
  TOLVANE_META_TEXT(where, "where")
  TOLVANE_META_TEXT(deferrable, "deferrable")
  TOLVANE_META_TEXT(elements, "elements")

  DBObject character() const override { return DBObject::Exclude; }

 private:
  std::string m_index_method;
  std::string m_table_space;
  std::string m_with;
  std::string m_include;
  std::string m_where;
  std::string m_deferrable;
  std::string m_elements;
};

}  // namespace Tolvane::Orvel::MetaModel
