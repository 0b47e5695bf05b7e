#include "orvel/model/meta_user.hpp"

#include "tessin/core/property.hpp"

namespace Tolvane::Orvel::MetaModel {

const Core::TypeInfo& MetaUser::static_type() {
  using C = MetaUser;
  static const Core::TypeInfo info(
      "TolvaneOrvelMetaModelMetaUser", &MetaObject::static_type(), {}, Core::factory_of<MetaUser>(),
      {Core::property("typename", &C::get_typename, &C::set_typename),
       Core::property("default-schema", &C::get_default_schema, &C::set_default_schema),
       Core::property("password", &C::get_password, &C::set_password),
       Core::property("relations", &C::get_relations, &C::set_relations),
       Core::property("privileges", &C::get_privileges, &C::set_privileges)});
  return info;
}

MetaUserPtr MetaUser::with_names(OptionalText database, OptionalText schema, OptionalText name,
                                 OptionalText kind) {
  TOLVANE_RETURN_VAL_IF_FAIL(database.has_value(), "database != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(schema.has_value(), "schema != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(name.has_value(), "name != NULL", nullptr);
  TOLVANE_RETURN_VAL_IF_FAIL(kind.has_value(), "kind != NULL", nullptr);
  MetaUserPtr node = make_named<MetaUser>(database, schema, name);
  node->set_typename(std::string(*kind));
  return node;
}

MetaObjectPtr MetaUser::clone() const {
  auto copy = std::static_pointer_cast<MetaUser>(MetaObject::clone());
  copy->m_relations = m_relations;
  copy->m_privileges = m_privileges;
  return copy;
}

Core::Json::NodeRef MetaUser::serialize_property(std::string_view property_name,
                                                 const Core::PropertySpec& spec) const {
  if (property_name == "relations") {
    return map_node(m_relations);
  }
  if (property_name == "privileges") {
    return map_node(m_privileges);
  }
  return MetaObject::serialize_property(property_name, spec);
}

bool MetaUser::deserialize_property(std::string_view property_name, const Core::PropertySpec& spec,
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
