#include "orvel/model/meta_trigger.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaTrigger::static_type() {
  using C = MetaTrigger;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaTrigger", &MetaObject::static_type(), {}, Core::factory_of<MetaTrigger>(),
      {Core::property("kind", &C::get_kind, &C::set_kind),
       Core::property("target", &C::get_target, &C::set_target),
       Core::property("body", &C::get_body, &C::set_body),
       Core::property("definer", &C::get_definer, &C::set_definer),
       Core::property("timing", &C::get_timing, &C::set_timing),
       Core::property("event", &C::get_event, &C::set_event),
       Core::property("when", &C::get_when, &C::set_when),
       Core::property("order", &C::get_order, &C::set_order),
       Core::property("trigger", &C::get_trigger, &C::set_trigger),
       Core::property("columns", &C::get_columns, &C::set_columns),
       Core::property("deferrable", &C::get_deferrable, &C::set_deferrable),
       Core::property("deferred", &C::get_deferred, &C::set_deferred),
       Core::property("function", &C::get_function, &C::set_function),
       Core::property("arguments", &C::get_arguments, &C::set_arguments),
       Core::property("for-each", &C::get_for_each, &C::set_for_each).with_default(std::string("ROW")),
       Core::property("refer-table", &C::get_refer_table, &C::set_refer_table),
       Core::property("constraint", &C::get_constraint, &C::set_constraint),
       Core::property("apply", &C::get_apply, &C::set_apply),
       Core::property("enable", &C::get_enable, &C::set_enable)});
  return info;
}

MetaTriggerPtr MetaTrigger::with_names(OptionalText database, OptionalText schema, OptionalText name) {
  return make_named<MetaTrigger>(database, schema, name);
}

MetaTriggerPtr MetaTrigger::with_body(OptionalText name, OptionalText body) {
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(body.has_value(), "body != NULL", nullptr);
  auto trigger = create();
  trigger->set_name(std::string(*name));
  trigger->set_body(std::string(*body));
  return trigger;
}

}  // namespace Tolvane::Orvel::MetaModel
