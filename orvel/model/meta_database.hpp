#pragma once

#include <vector>

#include "orvel/model/meta_object.hpp"
#include "orvel/model/meta_schema.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaDatabase;
using MetaDatabasePtr = std::shared_ptr<MetaDatabase>;

// The root of a metadata tree: a database and its schemas.
class ORVEL_API MetaDatabase : public MetaObject {
  TOLVANE_OBJECT(MetaDatabase)

  MetaDatabase() = default;
  static MetaDatabasePtr create() { return std::make_shared<MetaDatabase>(); }
  // `name`, `schema` and `database` are all the database's name.
  static MetaDatabasePtr with_name(OptionalText database);

  // Live: callers may add and remove schemas.
  const std::vector<MetaSchemaPtr>& get_schemas() const noexcept { return m_schemas; }
  std::vector<MetaSchemaPtr>& get_schemas() noexcept { return m_schemas; }
  void set_schemas(std::vector<MetaSchemaPtr> schemas) { assign(m_schemas, std::move(schemas), "schemas"); }

  // The first schema of exactly that name (letter case counts); a new one,
  // appended, when there is none.
  MetaSchemaPtr append(OptionalText schema_name);

  DBObject character() const override { return DBObject::Database; }
  MetaObjectPtr clone() const override;
  void reset() override;

  Core::Json::NodeRef serialize_property(std::string_view property_name, const Core::PropertySpec& spec) const override;
  bool deserialize_property(std::string_view property_name, const Core::PropertySpec& spec, JsonNode* node) override;

 private:
  std::vector<MetaSchemaPtr> m_schemas;
};

}  // namespace Tolvane::Orvel::MetaModel
