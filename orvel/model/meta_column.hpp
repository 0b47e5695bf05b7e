#pragma once

#include <cstdint>

#include "orvel/model/meta_object.hpp"
#include "tessin/contracts/data_type.hpp"

namespace Tolvane::Orvel::MetaModel {

using Providers::Contracts::DataType;

class MetaColumn;
using MetaColumnPtr = std::shared_ptr<MetaColumn>;

// One column of a table (or of a view's derived list): declared and normalised
// type, sizes, defaults, generation and key membership.
class ORVEL_API MetaColumn : public MetaObject {
  TOLVANE_OBJECT(MetaColumn)

  MetaColumn() = default;
  static MetaColumnPtr create() { return std::make_shared<MetaColumn>(); }
  // Sets `name`, `data-type` and `raw-type`.
  static MetaColumnPtr with_type(OptionalText name, DataType data_type, OptionalText native_type);

  std::uint16_t get_ordinal() const noexcept { return m_ordinal; }
  void set_ordinal(std::uint16_t ordinal) { assign(m_ordinal, ordinal, "ordinal"); }
  const std::string& get_alias() const noexcept { return m_alias; }
  void set_alias(std::string alias) { assign(m_alias, std::move(alias), "alias"); }
  const std::string& get_after() const noexcept { return m_after; }
  void set_after(std::string after) { assign(m_after, std::move(after), "after"); }
  const std::string& get_raw_type() const noexcept { return m_raw_type; }
  void set_raw_type(std::string raw_type) { assign(m_raw_type, std::move(raw_type), "raw-type"); }
  DataType get_data_type() const noexcept { return m_data_type; }
  void set_data_type(DataType data_type) { assign(m_data_type, data_type, "data-type"); }
  std::uint64_t get_length() const noexcept { return m_length; }
  void set_length(std::uint64_t length) { assign(m_length, length, "length"); }
  std::uint8_t get_scale() const noexcept { return m_scale; }
  void set_scale(std::uint8_t scale) { assign(m_scale, scale, "scale"); }
  std::uint8_t get_dimension() const noexcept { return m_dimension; }
  void set_dimension(std::uint8_t dimension) { assign(m_dimension, dimension, "dimension"); }
  bool get_is_unsigned() const noexcept { return m_is_unsigned; }
  void set_is_unsigned(bool is_unsigned) { assign(m_is_unsigned, is_unsigned, "is-unsigned"); }
  bool get_auto_increment() const noexcept { return m_auto_increment; }
  void set_auto_increment(bool auto_increment) { assign(m_auto_increment, auto_increment, "auto-increment"); }
  std::uint64_t get_auto_increment_seed() const noexcept { return m_auto_increment_seed; }
  void set_auto_increment_seed(std::uint64_t seed) { assign(m_auto_increment_seed, seed, "auto-increment-seed"); }
  const std::string& get_identity() const noexcept { return m_identity; }
  void set_identity(std::string identity) { assign(m_identity, std::move(identity), "identity"); }
  // "" means the column has no default.
  const std::string& get_default_value() const noexcept { return m_default_value; }
  void set_default_value(std::string value) { assign(m_default_value, std::move(value), "default-value"); }
  const std::string& get_virtual_type() const noexcept { return m_virtual_type; }
  void set_virtual_type(std::string virtual_type) { assign(m_virtual_type, std::move(virtual_type), "virtual-type"); }
  const std::string& get_expression() const noexcept { return m_expression; }
  void set_expression(std::string expression) { assign(m_expression, std::move(expression), "expression"); }
  bool get_not_null() const noexcept { return m_not_null; }
  void set_not_null(bool not_null) { assign(m_not_null, not_null, "not-null"); }
  bool get_is_selected() const noexcept { return m_is_selected; }
  void set_is_selected(bool is_selected) { assign(m_is_selected, is_selected, "is-selected"); }
  bool get_is_virtual() const noexcept { return m_is_virtual; }
  void set_is_virtual(bool is_virtual) { assign(m_is_virtual, is_virtual, "is-virtual"); }
  bool get_is_user_defined() const noexcept { return m_is_user_defined; }
  void set_is_user_defined(bool user_defined) { assign(m_is_user_defined, user_defined, "is-user-defined"); }
  bool get_is_primary_key() const noexcept { return m_is_primary_key; }
  void set_is_primary_key(bool primary_key) { assign(m_is_primary_key, primary_key, "is-primary-key"); }
  std::uint8_t get_primary_ordinal() const noexcept { return m_primary_ordinal; }
  void set_primary_ordinal(std::uint8_t ordinal) { assign(m_primary_ordinal, ordinal, "primary-ordinal"); }
  std::uint64_t get_primary_length() const noexcept { return m_primary_length; }
  void set_primary_length(std::uint64_t length) { assign(m_primary_length, length, "primary-length"); }
  const std::string& get_conflict() const noexcept { return m_conflict; }
  void set_conflict(std::string conflict) { assign(m_conflict, std::move(conflict), "conflict"); }
  const std::string& get_charset() const noexcept { return m_charset; }
  void set_charset(std::string charset) { assign(m_charset, std::move(charset), "charset"); }
  const std::string& get_collation() const noexcept { return m_collation; }
  void set_collation(std::string collation) { assign(m_collation, std::move(collation), "collation"); }
  const std::string& get_enum_values() const noexcept { return m_enum_values; }
  void set_enum_values(std::string values) { assign(m_enum_values, std::move(values), "enum-values"); }
  bool get_is_binary() const noexcept { return m_is_binary; }
  void set_is_binary(bool is_binary) { assign(m_is_binary, is_binary, "is-binary"); }
  bool get_is_fill_zero() const noexcept { return m_is_fill_zero; }
  void set_is_fill_zero(bool fill_zero) { assign(m_is_fill_zero, fill_zero, "is-fill-zero"); }
  bool get_update_timestamp() const noexcept { return m_update_timestamp; }
  void set_update_timestamp(bool update) { assign(m_update_timestamp, update, "update-timestamp"); }
  bool get_is_generated_always() const noexcept { return m_is_generated_always; }
  void set_is_generated_always(bool always) { assign(m_is_generated_always, always, "is-generated-always"); }

  DBObject character() const override { return DBObject::Column; }

 private:
  std::string m_alias;
  std::string m_after;
  std::string m_raw_type;
  std::string m_identity;
  std::string m_default_value;
  std::string m_virtual_type;
  std::string m_expression;
  std::string m_conflict;
  std::string m_charset;
  std::string m_collation;
  std::string m_enum_values;
  std::uint64_t m_length = 0;
  std::uint64_t m_auto_increment_seed = 0;
  std::uint64_t m_primary_length = 0;
  DataType m_data_type = DataType::Unknown;
  std::uint16_t m_ordinal = 0;
  std::uint8_t m_scale = 0;
  std::uint8_t m_dimension = 0;
  std::uint8_t m_primary_ordinal = 0;
  bool m_is_unsigned = false;
  bool m_auto_increment = false;
  bool m_not_null = false;
  bool m_is_selected = false;
  bool m_is_virtual = false;
  bool m_is_user_defined = false;
  bool m_is_primary_key = false;
  bool m_is_binary = false;
  bool m_is_fill_zero = false;
  bool m_update_timestamp = false;
  bool m_is_generated_always = false;
};

}  // namespace Tolvane::Orvel::MetaModel
