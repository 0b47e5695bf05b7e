#pragma once

#include "orvel/model/meta_object.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaRule;
using MetaRulePtr = std::shared_ptr<MetaRule>;

// A rewrite rule of a table.
class ORVEL_API MetaRule : public MetaObject {
  TOLVANE_OBJECT(MetaRule)

  MetaRule() = default;
  static MetaRulePtr create() { return std::make_shared<MetaRule>(); }
  static MetaRulePtr with_name(OptionalText name);

  TOLVANE_META_TEXT(commands, "commands")
  TOLVANE_META_TEXT(action, "action")
  TOLVANE_META_TEXT(event, "event")
  TOLVANE_META_TEXT(where, "where")
  TOLVANE_META_TEXT(apply, "apply")
  TOLVANE_META_VALUE(bool, enable, "enable")

  DBObject character() const override { return DBObject::Rule; }

 private:
  std::string m_commands;
  std::string m_action;
  std::string m_event;
  std::string m_where;
  std::string m_apply;
  bool m_enable = false;
};

}  // namespace Tolvane::Orvel::MetaModel
