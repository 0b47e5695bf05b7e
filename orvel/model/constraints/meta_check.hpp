#pragma once

#include "orvel/model/constraints/meta_constraint.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaCheck;
using MetaCheckPtr = std::shared_ptr<MetaCheck>;

// A CHECK constraint.
class ORVEL_API MetaCheck : public MetaConstraint {
  TOLVANE_OBJECT(MetaCheck)

  MetaCheck() = default;
  static MetaCheckPtr create() { return std::make_shared<MetaCheck>(); }
  // Sets `name` and the expression `check`.
  static MetaCheckPtr with_name(OptionalText name, OptionalText expr);

  TOLVANE_META_VALUE(bool, enforced, "enforced")
  TOLVANE_META_VALUE(bool, no_inherit, "no-inherit")
  TOLVANE_META_TEXT(check, "check")
  TOLVANE_META_TEXT(deferrable, "deferrable")

  DBObject character() const override { return DBObject::Check; }

 private:
  bool m_enforced = false;
  bool m_no_inherit = true;
  std::string m_check;
  std::string m_deferrable;
};

}  // namespace Tolvane::Orvel::MetaModel
