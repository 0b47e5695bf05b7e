#include "orvel/model/constraints/meta_unique.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaUnique::static_type() {
  using C = MetaUnique;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaUnique", &MetaConstraint::static_type(), {}, Core::factory_of<MetaUnique>(),
      {Core::property("columns", &C::get_columns, &C::set_columns),
       Core::property("conflict", &C::get_conflict, &C::set_conflict),
       Core::property("is-primary-key", &C::get_is_primary_key, &C::set_is_primary_key),
       Core::property("table-space", &C::get_table_space, &C::set_table_space),
       Core::property("with", &C::get_with, &C::set_with),
       Core::property("include", &C::get_include, &C::set_include),
       Core::property("deferrable", &C::get_deferrable, &C::set_deferrable)});
  return info;
}

MetaUniquePtr MetaUnique::with_name(OptionalText name) {
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  auto unique = create();
  unique->set_name(std::string(*name));
  return unique;
}

}  // namespace Tolvane::Orvel::MetaModel
