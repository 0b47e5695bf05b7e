#pragma once

#include <vector>

#include "tessin/contracts/table_model.hpp"

namespace Tolvane::Providers::Contracts {

class DataSetModel;
using DataSetModelPtr = std::shared_ptr<DataSetModel>;

// Several tables; as a list model its items are the tables.
class TESSIN_API DataSetModel final : public Core::Object, public Core::IListModel {
  TOLVANE_OBJECT(DataSetModel)

  DataSetModel() = default;
  static DataSetModelPtr create() { return std::make_shared<DataSetModel>(); }

  std::vector<TableModelPtr>& get_tables() noexcept { return m_tables; }
  const std::vector<TableModelPtr>& get_tables() const noexcept { return m_tables; }

  const Core::TypeInfo& get_item_type() const override { return TableModel::static_type(); }
  std::uint32_t get_n_items() const override { return static_cast<std::uint32_t>(m_tables.size()); }
  Core::ObjectPtr get_object(std::uint32_t position) const override {
    return position < m_tables.size() ? Core::ObjectPtr(m_tables[position]) : nullptr;
  }

 private:
  std::vector<TableModelPtr> m_tables;
};

}  // namespace Tolvane::Providers::Contracts
