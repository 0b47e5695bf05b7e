#pragma once

#include <cstdint>
#include <optional>

#include "tessin/contracts/data_type.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Providers::Contracts {

class ColumnModel;
using ColumnModelPtr = std::shared_ptr<ColumnModel>;

// One column of a result: name, display title, data type and size in bytes.
class TESSIN_API ColumnModel final : public Core::Object {
  TOLVANE_OBJECT(ColumnModel)

  ColumnModel() = default;
  ColumnModel(std::string name, DataType data_type, std::uint32_t data_size)
      : m_name(std::move(name)), m_data_type(data_type), m_data_size(data_size) {}

  static ColumnModelPtr create() { return std::make_shared<ColumnModel>(); }
  static ColumnModelPtr with_type(DataType data_type) { return std::make_shared<ColumnModel>("", data_type, 0); }
  static ColumnModelPtr full(std::string column_name, DataType data_type) {
    return std::make_shared<ColumnModel>(std::move(column_name), data_type, 0);
  }
  static ColumnModelPtr full_size(std::string column_name, DataType data_type, std::uint32_t data_size) {
    return std::make_shared<ColumnModel>(std::move(column_name), data_type, data_size);
  }

  const std::string& get_name() const noexcept { return m_name; }
  void set_name(std::string name) { assign(m_name, std::move(name), "name"); }
  const std::optional<std::string>& get_title() const noexcept { return m_title; }
  void set_title(std::optional<std::string> title) { assign(m_title, std::move(title), "title"); }
  DataType get_data_type() const noexcept { return m_data_type; }
  void set_data_type(DataType data_type) { assign(m_data_type, data_type, "data-type"); }
  std::uint32_t get_data_size() const noexcept { return m_data_size; }
  void set_data_size(std::uint32_t data_size) { assign(m_data_size, data_size, "data-size"); }

 private:
  std::string m_name;
  std::optional<std::string> m_title;
  DataType m_data_type = DataType::Unknown;
  std::uint32_t m_data_size = 0;
};

}  // namespace Tolvane::Providers::Contracts
