#pragma once

#include "orvel/model/meta_grantee.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaUser;
using MetaUserPtr = std::shared_ptr<MetaUser>;

// A database user with its privileges and the relations it holds.
class ORVEL_API MetaUser : public MetaGrantee {
  TOLVANE_OBJECT(MetaUser)

  MetaUser() = default;
  static MetaUserPtr create() { return std::make_shared<MetaUser>(); }
  // Sets `database`, `schema`, `name` and `typename`.
  static MetaUserPtr with_names(OptionalText database, OptionalText schema, OptionalText name, OptionalText kind);

  TOLVANE_META_TEXT(typename, "typename")
  TOLVANE_META_TEXT(default_schema, "default-schema")
  TOLVANE_META_TEXT(password, "password")

  DBObject character() const override { return DBObject::User; }
  MetaObjectPtr clone() const override { return clone_with_grants<MetaUser>(); }

 private:
  std::string m_typename;
  std::string m_default_schema;
  std::string m_password;
};

}  // namespace Tolvane::Orvel::MetaModel
