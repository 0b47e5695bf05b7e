#include "orvel/model/meta_event.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaEvent::static_type() {
  using C = MetaEvent;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaEvent", &MetaObject::static_type(), {}, Core::factory_of<MetaEvent>(),
      {Core::property("kind", &C::get_kind, &C::set_kind),
       Core::property("body", &C::get_body, &C::set_body),
       Core::property("definer", &C::get_definer, &C::set_definer),
       Core::property("state", &C::get_state, &C::set_state),
       Core::property("schedule", &C::get_schedule, &C::set_schedule),
       Core::property("completion", &C::get_completion, &C::set_completion)});
  return info;
}

MetaEventPtr MetaEvent::with_names(OptionalText database, OptionalText schema, OptionalText name) {
  return make_named<MetaEvent>(database, schema, name);
}

}  // namespace Tolvane::Orvel::MetaModel
