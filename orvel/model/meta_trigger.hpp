#pragma once

#include "orvel/model/meta_object.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaTrigger;
using MetaTriggerPtr = std::shared_ptr<MetaTrigger>;

// A trigger: its SQL text as the database holds it, firing time, event and the
// vendor clauses around them.
class ORVEL_API MetaTrigger : public MetaObject {
  TOLVANE_OBJECT(MetaTrigger)

  MetaTrigger() = default;
  static MetaTriggerPtr create() { return std::make_shared<MetaTrigger>(); }
  static MetaTriggerPtr with_names(OptionalText database, OptionalText schema, OptionalText name);
  static MetaTriggerPtr with_body(OptionalText name, OptionalText body);

  TOLVANE_META_TEXT(kind, "kind")
  TOLVANE_META_TEXT(target, "target")
  TOLVANE_META_TEXT(body, "body")
  TOLVANE_META_TEXT(definer, "definer")
  TOLVANE_META_TEXT(timing, "timing")
  // "INSERT", "UPDATE" or "DELETE".
  TOLVANE_META_TEXT(event, "event")
  TOLVANE_META_TEXT(when, "when")
  TOLVANE_META_TEXT(order, "order")
  TOLVANE_META_TEXT(trigger, "trigger")
  // The column list of an UPDATE OF trigger.
  TOLVANE_META_TEXT(columns, "columns")
  TOLVANE_META_TEXT(deferrable, "deferrable")
  TOLVANE_META_TEXT(deferred, "deferred")
  TOLVANE_META_TEXT(function, "function")
  TOLVANE_META_TEXT(arguments, "arguments")
  TOLVANE_META_TEXT(for_each, "for-each")
  TOLVANE_META_TEXT(refer_table, "refer-table")
  TOLVANE_META_VALUE(bool, constraint, "constraint")
  TOLVANE_META_TEXT(apply, "apply")
  TOLVANE_META_VALUE(bool, enable, "enable")

  DBObject character() const override { return DBObject::Trigger; }

 private:
  std::string m_kind;
  std::string m_target;
  std::string m_body;
  std::string m_definer;
  std::string m_timing;
  std::string m_event;
  std::string m_when;
  std::string m_order;
  std::string m_trigger;
  std::string m_columns;
  std::string m_deferrable;
  std::string m_deferred;
  std::string m_function;
  std::string m_arguments;
  std::string m_for_each = "ROW";
  std::string m_refer_table;
  bool m_constraint = false;
  std::string m_apply;
  bool m_enable = false;
};

}  // namespace Tolvane::Orvel::MetaModel
