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

}  // namespace Tolvane::Orvel::MetaModel
