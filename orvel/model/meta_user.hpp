#pragma once

#include "orvel/model/meta_object.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaUser;
using MetaUserPtr = std::shared_ptr<MetaUser>;

// A database user with its privileges and the relations it holds.
class ORVEL_API MetaUser : public MetaObject {
  TOLVANE_OBJECT(MetaUser)

  MetaUser() = default;
  static MetaUserPtr create() { return std::make_shared<MetaUser>(); }
  // Sets `database`, `schema`, `name` and `typename`.
  static MetaUserPtr with_names(OptionalText database, OptionalText schema, OptionalText name, OptionalText kind);

  TOLVANE_META_TEXT(typename, "typename")
  TOLVANE_META_TEXT(default_schema, "default-schema")
  TOLVANE_META_TEXT(password, "password")
  // Live: callers may add and remove entries.
  const TextMap& get_relations() const noexcept { return m_relations; }
  TextMap& get_relations() noexcept { return m_relations; }
  void set_relations(TextMap relations) { assign(m_relations, std::move(relations), "relations"); }
  const TextMap& get_privileges() const noexcept { return m_privileges; }
  TextMap& get_privileges() noexcept { return m_privileges; }
  void set_privileges(TextMap privileges) { assign(m_privileges, std::move(privileges), "privileges"); }

  DBObject character() const override { return DBObject::User; }
  MetaObjectPtr clone() const override;

  Core::Json::NodeRef serialize_property(std::string_view property_name, const Core::PropertySpec& spec) const override;
  bool deserialize_property(std::string_view property_name, const Core::PropertySpec& spec, JsonNode* node) override;

 private:
  std::string m_typename;
  std::string m_default_schema;
  std::string m_password;
  TextMap m_relations;
  TextMap m_privileges;
};

}  // namespace Tolvane::Orvel::MetaModel
