#include "orvel/model/meta_schema.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaSchema::static_type() {
  using C = MetaSchema;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaSchema", &MetaObject::static_type(), {}, Core::factory_of<MetaSchema>(),
      {Core::property("events", &C::get_events, &C::set_events),
       Core::property("functions", &C::get_functions, &C::set_functions),
       Core::property("procedures", &C::get_procedures, &C::set_procedures),
       Core::property("tables", &C::get_tables, &C::set_tables),
       Core::property("miews", &C::get_miews, &C::set_miews),
       Core::property("views", &C::get_views, &C::set_views)});
  return info;
}

MetaSchemaPtr MetaSchema::with_names(OptionalText database, OptionalText schema) {
  return make_named<MetaSchema>(database, schema, schema);
}

MetaObjectPtr MetaSchema::clone() const {
  auto copy = std::static_pointer_cast<MetaSchema>(MetaObject::clone());
  clone_into(m_tables, copy->m_tables);
  clone_into(m_views, copy->m_views);
  copy->m_events = m_events;
  copy->m_functions = m_functions;
  copy->m_procedures = m_procedures;
  copy->m_miews = m_miews;
  return copy;
}

void MetaSchema::reset() {
  m_events->clear();
  m_functions->clear();
  m_tables.clear();
  m_views.clear();
  MetaObject::reset();
}

// Events, procedures and materialized views have no JSON form: they are neither
// written nor read back, so their members are left out and two schemas that
// differ only there give the same text. Leaving them out, rather than writing a
// summary such as their count, keeps the text free of members that reading
// would ignore.
Core::Json::NodeRef MetaSchema::serialize_property(std::string_view property_name,
                                                   const Core::PropertySpec& spec) const {
  if (property_name == "tables") {
    return array_node(m_tables);
  }
  if (property_name == "views") {
    return array_node(m_views);
  }
  if (property_name == "functions") {
    return array_node(*m_functions);
  }
  if (property_name == "events" || property_name == "procedures" || property_name == "miews") {
    return {};
  }
  return MetaObject::serialize_property(property_name, spec);
}

bool MetaSchema::deserialize_property(std::string_view property_name, const Core::PropertySpec& spec,
                                      JsonNode* node) {
  if (property_name == "tables") {
    set_tables(read_array<MetaTable>(node));
    return true;
  }
  if (property_name == "views") {
    set_views(read_array<MetaView>(node));
    return true;
  }
  if (property_name == "functions") {
    set_functions(read_array<MetaFunction>(node));
    return true;
  }
  if (property_name == "events" || property_name == "procedures" || property_name == "miews") {
    return true;
  }
  return MetaObject::deserialize_property(property_name, spec, node);
}

}  // namespace Tolvane::Orvel::MetaModel
