#include "orvel/model/constraints/meta_foreign_key.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaForeignKey::static_type() {
  using C = MetaForeignKey;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaForeignKey", &MetaConstraint::static_type(), {}, Core::factory_of<MetaForeignKey>(),
      {Core::property("refer-database", &C::get_refer_database, &C::set_refer_database),
       Core::property("refer-schema", &C::get_refer_schema, &C::set_refer_schema),
       Core::property("refer-table", &C::get_refer_table, &C::set_refer_table),
       Core::property("local-columns", &C::get_local_columns, &C::set_local_columns),
       Core::property("refer-columns", &C::get_refer_columns, &C::set_refer_columns),
       Core::property("match-method", &C::get_match_method, &C::set_match_method),
       Core::property("delete-action", &C::get_delete_action, &C::set_delete_action),
       Core::property("update-action", &C::get_update_action, &C::set_update_action),
       Core::property("deferrable", &C::get_deferrable, &C::set_deferrable)});
  return info;
}

MetaForeignKeyPtr MetaForeignKey::with_names(OptionalText name, OptionalText refer_schema, OptionalText refer_table) {
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(refer_schema.has_value(), "refer_schema != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(refer_table.has_value(), "refere_table != NULL", nullptr);
  auto key = create();
  key->set_name(std::string(*name));
  key->set_refer_schema(std::string(*refer_schema));
  key->set_refer_table(std::string(*refer_table));
  return key;
}

}  // namespace Tolvane::Orvel::MetaModel
