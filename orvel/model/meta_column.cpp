#include "orvel/model/meta_column.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaColumn::static_type() {
  using C = MetaColumn;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaColumn", &MetaObject::static_type(), {}, Core::factory_of<MetaColumn>(),
      {Core::property("ordinal", &C::get_ordinal, &C::set_ordinal).as_kind(Core::PropertyKind::UInt32),
       Core::property("alias", &C::get_alias, &C::set_alias),
       Core::property("after", &C::get_after, &C::set_after),
       Core::property("raw-type", &C::get_raw_type, &C::set_raw_type),
       Core::property("data-type", &C::get_data_type, &C::set_data_type),
       Core::property("length", &C::get_length, &C::set_length),
       Core::property("scale", &C::get_scale, &C::set_scale),
       Core::property("dimension", &C::get_dimension, &C::set_dimension),
       Core::property("is-unsigned", &C::get_is_unsigned, &C::set_is_unsigned),
       Core::property("auto-increment", &C::get_auto_increment, &C::set_auto_increment),
       Core::property("auto-increment-seed", &C::get_auto_increment_seed, &C::set_auto_increment_seed),
       Core::property("identity", &C::get_identity, &C::set_identity),
       Core::property("default-value", &C::get_default_value, &C::set_default_value),
       Core::property("virtual-type", &C::get_virtual_type, &C::set_virtual_type),
       Core::property("expression", &C::get_expression, &C::set_expression),
       Core::property("not-null", &C::get_not_null, &C::set_not_null),
       Core::property("is-selected", &C::get_is_selected, &C::set_is_selected),
       Core::property("is-virtual", &C::get_is_virtual, &C::set_is_virtual),
       Core::property("is-user-defined", &C::get_is_user_defined, &C::set_is_user_defined),
       Core::property("is-primary-key", &C::get_is_primary_key, &C::set_is_primary_key),
       Core::property("primary-ordinal", &C::get_primary_ordinal, &C::set_primary_ordinal),
       Core::property("primary-length", &C::get_primary_length, &C::set_primary_length),
       Core::property("conflict", &C::get_conflict, &C::set_conflict),
       Core::property("charset", &C::get_charset, &C::set_charset),
       Core::property("collation", &C::get_collation, &C::set_collation),
       Core::property("enum-values", &C::get_enum_values, &C::set_enum_values),
       Core::property("is-binary", &C::get_is_binary, &C::set_is_binary),
       Core::property("is-fill-zero", &C::get_is_fill_zero, &C::set_is_fill_zero),
       Core::property("update-timestamp", &C::get_update_timestamp, &C::set_update_timestamp),
       Core::property("is-generated-always", &C::get_is_generated_always, &C::set_is_generated_always)});
  return info;
}

MetaColumnPtr MetaColumn::with_type(OptionalText name, DataType data_type, OptionalText native_type) {
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(native_type.has_value(), "native_type != NULL", nullptr);
  auto column = create();
  column->set_name(std::string(*name));
  column->set_data_type(data_type);
  column->set_raw_type(std::string(*native_type));
  return column;
}

}  // namespace Tolvane::Orvel::MetaModel
