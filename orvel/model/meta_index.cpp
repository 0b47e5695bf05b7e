#include "orvel/model/meta_index.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaIndex::static_type() {
  using C = MetaIndex;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaIndex", &MetaObject::static_type(), {}, Core::factory_of<MetaIndex>(),
      {Core::property("entity", &C::get_entity, &C::set_entity),
       Core::property("class", &C::get_class, &C::set_class),
       Core::property("method", &C::get_method, &C::set_method),
       Core::property("parser", &C::get_parser, &C::set_parser),
       Core::property("algorithm", &C::get_algorithm, &C::set_algorithm),
       Core::property("lock", &C::get_lock, &C::set_lock),
       Core::property("where", &C::get_where, &C::set_where),
       Core::property("table-space", &C::get_table_space, &C::set_table_space),
       Core::property("with", &C::get_with, &C::set_with),
       Core::property("include", &C::get_include, &C::set_include),
       Core::property("kind", &C::get_kind, &C::set_kind),
       Core::property("is-concurrent", &C::get_is_concurrent, &C::set_is_concurrent),
       Core::property("is-only", &C::get_is_only, &C::set_is_only),
       Core::property("is-visible", &C::get_is_visible, &C::set_is_visible),
       Core::property("is-clustered", &C::get_is_clustered, &C::set_is_clustered),
       Core::property("key-block-size", &C::get_key_block_size, &C::set_key_block_size),
       Core::property("columns", &C::get_columns, &C::set_columns)});
  return info;
}

MetaIndexPtr MetaIndex::with_names(OptionalText database, OptionalText schema, OptionalText entity,
                                   OptionalText name) {
  TOLVANE_RETURN_VAL_IF_FAIL(database.has_value(), "database != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(schema.has_value(), "schema != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(entity.has_value(), "entity != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  auto index = create();
  index->set_database(std::string(*database));
  index->set_schema(std::string(*schema));
  index->set_entity(std::string(*entity));
  index->set_name(std::string(*name));
  return index;
}

void MetaIndex::append(OptionalText column) {
  TOLVANE_RETURN_IF_FAIL(column.has_value(), "column != NULL");
  m_columns.emplace_back(*column);
}

MetaObjectPtr MetaIndex::clone() const {
  auto copy = std::static_pointer_cast<MetaIndex>(MetaObject::clone());
  copy->m_columns = m_columns;
  return copy;
}

Core::Json::NodeRef MetaIndex::serialize_property(std::string_view property_name,
                                                  const Core::PropertySpec& spec) const {
  if (property_name == "columns") {
    return Core::Json::string_array(m_columns);
  }
  return MetaObject::serialize_property(property_name, spec);
}

bool MetaIndex::deserialize_property(std::string_view property_name, const Core::PropertySpec& spec,
                                     JsonNode* node) {
  if (property_name == "columns") {
    set_columns(Core::Json::read_string_array(node));
    return true;
  }
  return MetaObject::deserialize_property(property_name, spec, node);
}

}  // namespace Tolvane::Orvel::MetaModel
