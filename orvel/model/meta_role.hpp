#pragma once

#include "orvel/model/meta_object.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaRole;
using MetaRolePtr = std::shared_ptr<MetaRole>;

// A database role with its privileges and the relations it holds.
class ORVEL_API MetaRole : public MetaObject {
  TOLVANE_OBJECT(MetaRole)

  MetaRole() = default;
  static MetaRolePtr create() { return std::make_shared<MetaRole>(); }
  // Sets `database`, `schema`, `name` and `typename`.
  static MetaRolePtr with_names(OptionalText database, OptionalText schema, OptionalText name, OptionalText role_type);

  TOLVANE_META_TEXT(typename, "typename")
  TOLVANE_META_TEXT(password, "password")
  // Live: callers may add and remove entries.
  const TextMap& get_relations() const noexcept { return m_relations; }
  TextMap& get_relations() noexcept { return m_relations; }
  void set_relations(TextMap relations) { assign(m_relations, std::move(relations), "relations"); }
  const TextMap& get_privileges() const noexcept { return m_privileges; }
  TextMap& get_privileges() noexcept { return m_privileges; }
  void set_privileges(TextMap privileges) { assign(m_privileges, std::move(privileges), "privileges"); }

  DBObject character() const override { return DBObject::Role; }
  MetaObjectPtr clone() const override;

  Core::Json::NodeRef serialize_property(std::string_view property_name, const Core::PropertySpec& spec) const override;
  bool deserialize_property(std::string_view property_name, const Core::PropertySpec& spec, JsonNode* node) override;

 private:
  std::string m_typename;
  std::string m_password;
  TextMap m_relations;
  TextMap m_privileges;
};

}  // namespace Tolvane::Orvel::MetaModel
