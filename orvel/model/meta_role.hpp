#pragma once

#include "orvel/model/meta_grantee.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaRole;
using MetaRolePtr = std::shared_ptr<MetaRole>;

// A database role with its privileges and the relations it holds.
class ORVEL_API MetaRole : public MetaGrantee {
  TOLVANE_OBJECT(MetaRole)

  MetaRole() = default;
  static MetaRolePtr create() { return std::make_shared<MetaRole>(); }
  // Sets `database`, `schema`, `name` and `typename`.
  static MetaRolePtr with_names(OptionalText database, OptionalText schema, OptionalText name, OptionalText role_type);

  TOLVANE_META_TEXT(typename, "typename")
  TOLVANE_META_TEXT(password, "password")

  DBObject character() const override { return DBObject::Role; }
  MetaObjectPtr clone() const override { return clone_with_grants<MetaRole>(); }

 private:
  std::string m_typename;
  std::string m_password;
};

}  // namespace Tolvane::Orvel::MetaModel
