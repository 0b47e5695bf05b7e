#pragma once

#include "orvel/model/meta_object.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaEvent;
using MetaEventPtr = std::shared_ptr<MetaEvent>;

// A scheduled event.
class ORVEL_API MetaEvent : public MetaObject {
  TOLVANE_OBJECT(MetaEvent)

  MetaEvent() = default;
  static MetaEventPtr create() { return std::make_shared<MetaEvent>(); }
  static MetaEventPtr with_names(OptionalText database, OptionalText schema, OptionalText name);

  TOLVANE_META_TEXT(kind, "kind")
  TOLVANE_META_TEXT(body, "body")
  TOLVANE_META_TEXT(definer, "definer")
  TOLVANE_META_TEXT(state, "state")
  TOLVANE_META_TEXT(schedule, "schedule")
  TOLVANE_META_TEXT(completion, "completion")

  DBObject character() const override { return DBObject::Event; }

 private:
  std::string m_kind;
  std::string m_body;
  std::string m_definer;
  std::string m_state;
  std::string m_schedule;
  std::string m_completion;
};

}  // namespace Tolvane::Orvel::MetaModel
