#include "orvel/model/meta_role.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaRole::static_type() {
  using C = MetaRole;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaRole", &MetaObject::static_type(), {}, Core::factory_of<MetaRole>(),
      {Core::property("typename", &C::get_typename, &C::set_typename),
       Core::property("password", &C::get_password, &C::set_password),
       Core::property("relations", &C::get_relations, &C::set_relations),
       Core::property("privileges", &C::get_privileges, &C::set_privileges)});
  return info;
}

MetaRolePtr MetaRole::with_names(OptionalText database, OptionalText schema, OptionalText name,
                                 OptionalText role_type) {
  TOLVANE_RETURN_VAL_IF_FAIL(database.has_value(), "database != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(schema.has_value(), "schema != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(role_type.has_value(), "role_type != NULL", nullptr);
  MetaRolePtr node = make_named<MetaRole>(database, schema, name);
  node->set_typename(std::string(*role_type));
  return node;
}

MetaObjectPtr MetaRole::clone() const {
  auto copy = std::static_pointer_cast<MetaRole>(MetaObject::clone());
  copy->m_relations = m_relations;
  copy->m_privileges = m_privileges;
  return copy;
}

Core::Json::NodeRef MetaRole::serialize_property(std::string_view property_name,
                                                 const Core::PropertySpec& spec) const {
  if (property_name == "relations") {
    return map_node(m_relations);
  }
  if (property_name == "privileges") {
    return map_node(m_privileges);
  }
  return MetaObject::serialize_property(property_name, spec);
}

bool MetaRole::deserialize_property(std::string_view property_name, const Core::PropertySpec& spec,
                                    JsonNode* node) {
  if (property_name == "relations") {
    set_relations(read_map(node));
    return true;
  }
  if (property_name == "privileges") {
    set_privileges(read_map(node));
    return true;
  }
  return MetaObject::deserialize_property(property_name, spec, node);
}

}  // namespace Tolvane::Orvel::MetaModel
