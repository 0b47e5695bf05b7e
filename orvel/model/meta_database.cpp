#include "orvel/model/meta_database.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaDatabase::static_type() {
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaDatabase", &MetaObject::static_type(), {}, Core::factory_of<MetaDatabase>(),
      {Core::property("schemas", &MetaDatabase::get_schemas, &MetaDatabase::set_schemas)});
  return info;
}

MetaDatabasePtr MetaDatabase::with_name(OptionalText database) {
  TOLVANE_RETURN_VAL_IF_FAIL(database.has_value(), "database != NULL", nullptr);
  return make_named<MetaDatabase>(database, database, database);
}

MetaSchemaPtr MetaDatabase::append(OptionalText schema_name) {
  TOLVANE_RETURN_VAL_IF_FAIL(schema_name.has_value(), "schema_name != NULL", nullptr);
  for (const MetaSchemaPtr& schema : m_schemas) {
    if (schema && schema->get_name() == *schema_name) {
      return schema;
    }
  }
  MetaSchemaPtr schema = MetaSchema::with_names(get_name(), schema_name);
  m_schemas.push_back(schema);
  return schema;
}

MetaObjectPtr MetaDatabase::clone() const {
  auto copy = std::static_pointer_cast<MetaDatabase>(MetaObject::clone());
  clone_into(m_schemas, copy->m_schemas);
  return copy;
}

void MetaDatabase::reset() {
  m_schemas.clear();
  MetaObject::reset();
}

Core::Json::NodeRef MetaDatabase::serialize_property(std::string_view property_name,
                                                     const Core::PropertySpec& spec) const {
  if (property_name == "schemas") {
    return array_node(m_schemas);
  }
  return MetaObject::serialize_property(property_name, spec);
}

bool MetaDatabase::deserialize_property(std::string_view property_name, const Core::PropertySpec& spec,
                                        JsonNode* node) {
  if (property_name == "schemas") {
    set_schemas(read_array<MetaSchema>(node));
    return true;
  }
  return MetaObject::deserialize_property(property_name, spec, node);
}

}  // namespace Tolvane::Orvel::MetaModel
