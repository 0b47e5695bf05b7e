#pragma once

#include <cstdint>
#include <vector>

#include "orvel/model/meta_object.hpp"

namespace Tolvane::Orvel::MetaModel {

class MetaIndex;
using MetaIndexPtr = std::shared_ptr<MetaIndex>;

// An index of a table (or view): options as the database reports them and the
// indexed column names (or expressions) in key order.
class ORVEL_API MetaIndex : public MetaObject {
  TOLVANE_OBJECT(MetaIndex)

  MetaIndex() = default;
  static MetaIndexPtr create() { return std::make_shared<MetaIndex>(); }
  static MetaIndexPtr with_names(OptionalText database, OptionalText schema, OptionalText entity, OptionalText name);

  // The table (or view) the index belongs to.
  TOLVANE_META_TEXT(entity, "entity")
  // The operator class.
  TOLVANE_META_TEXT(class, "class")
  TOLVANE_META_TEXT(method, "method")
  TOLVANE_META_TEXT(parser, "parser")
  TOLVANE_META_TEXT(algorithm, "algorithm")
  TOLVANE_META_TEXT(lock, "lock")
  TOLVANE_META_TEXT(where, "where")
  TOLVANE_META_TEXT(table_space, "table-space")
  TOLVANE_META_TEXT(with, "with")
  TOLVANE_META_TEXT(include, "include")
  // "UNIQUE" for a unique index.
  TOLVANE_META_TEXT(kind, "kind")
  TOLVANE_META_VALUE(bool, is_concurrent, "is-concurrent")
  TOLVANE_META_VALUE(bool, is_only, "is-only")
  TOLVANE_META_VALUE(bool, is_visible, "is-visible")
  TOLVANE_META_VALUE(bool, is_clustered, "is-clustered")
  TOLVANE_META_VALUE(std::uint64_t, key_block_size, "key-block-size")
  // Live: callers may add and remove names.
  const std::vector<std::string>& get_columns() const noexcept { return m_columns; }
  std::vector<std::string>& get_columns() noexcept { return m_columns; }
  void set_columns(std::vector<std::string> columns) { assign(m_columns, std::move(columns), "columns"); }

  void append(OptionalText column);

  DBObject character() const override { return DBObject::Index; }
  MetaObjectPtr clone() const override;

  Core::Json::NodeRef serialize_property(std::string_view property_name, const Core::PropertySpec& spec) const override;
  bool deserialize_property(std::string_view property_name, const Core::PropertySpec& spec, JsonNode* node) override;

 private:
  std::string m_entity;
  std::string m_class;
  std::string m_method;
  std::string m_parser;
  std::string m_algorithm;
  std::string m_lock;
  std::string m_where;
  std::string m_table_space;
  std::string m_with;
  std::string m_include;
  std::string m_kind;
  bool m_is_concurrent = false;
  bool m_is_only = false;
  bool m_is_visible = false;
  bool m_is_clustered = false;
  std::uint64_t m_key_block_size = 0;
  std::vector<std::string> m_columns;
};

}  // namespace Tolvane::Orvel::MetaModel
