#include "orvel/model/meta_rule.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaRule::static_type() {
  using C = MetaRule;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaRule", &MetaObject::static_type(), {}, Core::factory_of<MetaRule>(),
      {Core::property("commands", &C::get_commands, &C::set_commands),
       Core::property("action", &C::get_action, &C::set_action),
       Core::property("event", &C::get_event, &C::set_event),
       Core::property("where", &C::get_where, &C::set_where),
       Core::property("apply", &C::get_apply, &C::set_apply),
       Core::property("enable", &C::get_enable, &C::set_enable)});
  return info;
}

MetaRulePtr MetaRule::with_name(OptionalText name) {
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  auto rule = create();
  rule->set_name(std::string(*name));
  return rule;
}

}  // namespace Tolvane::Orvel::MetaModel
