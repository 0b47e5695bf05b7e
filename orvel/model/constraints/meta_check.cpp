#include "orvel/model/constraints/meta_check.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

// `no-inherit` declares its initial true as its default, so the JSON form
// writes it only when it is false.
const Core::TypeInfo& MetaCheck::static_type() {
  using C = MetaCheck;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaCheck", &MetaConstraint::static_type(), {}, Core::factory_of<MetaCheck>(),
      {Core::property("enforced", &C::get_enforced, &C::set_enforced),
       Core::property("no-inherit", &C::get_no_inherit, &C::set_no_inherit).with_default(true),
       Core::property("check", &C::get_check, &C::set_check),
       Core::property("deferrable", &C::get_deferrable, &C::set_deferrable)});
  return info;
}

MetaCheckPtr MetaCheck::with_name(OptionalText name, OptionalText expr) {
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(expr.has_value(), "expr != NULL", nullptr);
  auto check = create();
  check->set_name(std::string(*name));
  check->set_check(std::string(*expr));
  return check;
}

}  // namespace Tolvane::Orvel::MetaModel
