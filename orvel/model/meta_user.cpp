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

}  // namespace Tolvane::Orvel::MetaModel
