#include "orvel/model/constraints/meta_exclude.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaExclude::static_type() {
  using C = MetaExclude;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaExclude", &MetaConstraint::static_type(), {}, Core::factory_of<MetaExclude>(),
      {Core::property("index-method", &C::get_index_method, &C::set_index_method),
       Core::property("table-space", &C::get_table_space, &C::set_table_space),
       Core::property("with", &C::get_with, &C::set_with),
       Core::property("include", &C::get_include, &C::set_include),
       Core::property("where", &C::get_where, &C::set_where),
       Core::property("deferrable", &C::get_deferrable, &C::set_deferrable),
       Core::property("elements", &C::get_elements, &C::set_elements)});
  return info;
}

MetaExcludePtr MetaExclude::with_name(OptionalText name) {
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  auto exclude = create();
  exclude->set_name(std::string(*name));
  return exclude;
}

}  // namespace Tolvane::Orvel::MetaModel
