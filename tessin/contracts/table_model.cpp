#include "tessin/contracts/table_model.hpp"

#include "tessin/core/error.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& TableModel::static_type() {
  using Self = TableModel;
  static const Core::TypeInfo info(
      "TolvaneProvidersContractsTableModel", &Core::Object::static_type(),
      {&IResult::static_type(), &Core::IListModel::static_type()}, Core::factory_of<TableModel>(),
      {Core::property("rows", static_cast<const RowList& (Self::*)() const>(&Self::get_rows)),
       Core::property("columns", static_cast<const std::vector<ColumnModelPtr>& (Self::*)() const>(&Self::get_columns))});
  return info;
}

TableModelPtr TableModel::with_types(std::span<const DataType> types) {
  auto model = create();
  model->m_columns.reserve(types.size());
  for (DataType type : types) {
    model->m_columns.push_back(ColumnModel::with_type(type));
  }
  return model;
}

ValueObjectPtr TableModel::get_value_at(int col, int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size()) {
    return nullptr;
  }
  return m_rows[static_cast<std::size_t>(row)]->get_value_at(col);
}

void TableModel::set_value_at(int col, int row, ValueObjectPtr value) {
  TOLVANE_RETURN_IF_FAIL(value != nullptr, "value != NULL");
  TOLVANE_RETURN_IF_FAIL(row >= 0 && static_cast<std::size_t>(row) < m_rows.size(), "row < rows.size");
  m_rows[static_cast<std::size_t>(row)]->set_value_at(col, std::move(value));
}

RowModelPtr TableModel::template_() const {
  auto row = RowModel::create();
  row->set_version(DataVersion::Insert);
  auto& values = row->get_values();
  values.reserve(m_columns.size());
  for (const ColumnModelPtr& column : m_columns) {
    values.push_back(IValue::factory(column->get_data_type(), std::nullopt));
  }
  return row;
}

RowModelPtr TableModel::create(int& position) {
  RowModelPtr row = template_();
  position = static_cast<int>(m_rows.push_back(row));
  items_changed(static_cast<std::uint32_t>(position), 0, 1);
  return row;
}

int TableModel::append(RowModelPtr row) {
  TOLVANE_RETURN_VAL_IF_FAIL(row != nullptr, "row != NULL", -1);
  const auto position = static_cast<int>(m_rows.push_back(std::move(row)));
  items_changed(static_cast<std::uint32_t>(position), 0, 1);
  return position;
}

int TableModel::insert(int position, RowModelPtr row) {
  TOLVANE_RETURN_VAL_IF_FAIL(row != nullptr, "row != NULL", -1);
  const std::size_t at = position < 0 ? m_rows.size() : static_cast<std::size_t>(position);
  const auto index = static_cast<int>(m_rows.insert(at, std::move(row)));
  items_changed(static_cast<std::uint32_t>(index), 0, 1);
  return index;
}

void TableModel::delete_(const RowModelPtr& row) {
  TOLVANE_RETURN_IF_FAIL(row != nullptr, "row != NULL");
  if (auto index = m_rows.index_of(row.get())) {
    m_rows.erase(*index);
    items_changed(static_cast<std::uint32_t>(*index), 1, 0);
  }
}

RowModelPtr TableModel::delete_at(int position) {
  if (position < 0 || static_cast<std::size_t>(position) >= m_rows.size()) {
    return nullptr;
  }
  RowModelPtr row = m_rows.erase(static_cast<std::size_t>(position));
  items_changed(static_cast<std::uint32_t>(position), 1, 0);
  return row;
}

bool TableModel::find(const RowModelPtr& row, int& position) const {
  auto index = m_rows.index_of(row.get());
  position = index ? static_cast<int>(*index) : 0;
  return index.has_value();
}

void TableModel::clear(bool with_columns) {
  const auto removed = static_cast<std::uint32_t>(m_rows.size());
  m_rows.clear();
  if (with_columns) {
    m_columns.clear();
  }
  items_changed(0, removed, 0);
}

void TableModel::update_row_version(int position, DataVersion version) {
  TOLVANE_RETURN_IF_FAIL(position >= 0 && static_cast<std::size_t>(position) < m_rows.size(),
                         "position < rows.size");
  const RowModelPtr& row = m_rows[static_cast<std::size_t>(position)];
  if (version == DataVersion::Delete) {
    if (row->get_version() == DataVersion::Insert) {
      m_rows.erase(static_cast<std::size_t>(position));
      items_changed(static_cast<std::uint32_t>(position), 1, 0);
    } else {
      row->set_version(DataVersion::Delete);
    }
  } else if (version == DataVersion::Update) {
    if (row->get_version() == DataVersion::Initial) {
      row->set_version(DataVersion::Update);
    }
  }
}

const Core::TypeInfo& TableModel::get_item_type() const { return RowModel::static_type(); }

Core::ObjectPtr TableModel::get_object(std::uint32_t position) const {
  return position < m_rows.size() ? Core::ObjectPtr(m_rows[position]) : nullptr;
}

}  // namespace Tolvane::Providers::Contracts
