#pragma once

#include <span>
#include <vector>

#include "tessin/contracts/column_model.hpp"
#include "tessin/contracts/result.hpp"
#include "tessin/contracts/row_model.hpp"

namespace Tolvane::Providers::Contracts {

class TableModel;
using TableModelPtr = std::shared_ptr<TableModel>;

// A whole result: columns and rows, each row holding one value per column in
// column order. As a list model its items are the rows; every change made
// through the operations below emits items-changed.
class TESSIN_API TableModel final : public Core::Object, public IResult, public Core::IListModel {
  TOLVANE_OBJECT(TableModel)

  TableModel() = default;
  static TableModelPtr create() { return std::make_shared<TableModel>(); }
  // One column of each given type, in order; no rows.
  static TableModelPtr with_types(std::span<const DataType> types);

  // The lists themselves; producers add to them directly.
  RowList& get_rows() noexcept { return m_rows; }
  const RowList& get_rows() const noexcept { return m_rows; }
  std::vector<ColumnModelPtr>& get_columns() noexcept { return m_columns; }
  const std::vector<ColumnModelPtr>& get_columns() const noexcept { return m_columns; }

  // Value `col` of row `row` (column first), or null when either is out of range.
  ValueObjectPtr get_value_at(int col, int row) const;
  // Replaces value `col` of row `row`; out-of-range positions are rejected.
  void set_value_at(int col, int row, ValueObjectPtr value);

  // A new row, not added, marked insert, holding the factory's value of each
  // column's type.
  RowModelPtr template_() const;
  // Appends a new template row; `position` receives its index.
  RowModelPtr create(int& position);
  // These return the first index at which the row is held afterwards.
  int append(RowModelPtr row);
  // A negative position appends.
  int insert(int position, RowModelPtr row);
  // Removes the first occurrence of `row`; nothing when absent.
  void delete_(const RowModelPtr& row);
  // The removed row, or null when `position` is out of range.
  RowModelPtr delete_at(int position);
  bool find(const RowModelPtr& row, int& position) const;
  void clear(bool with_columns);
  // Edit-state transition of row `position` towards `version` (delete or update).
  void update_row_version(int position, DataVersion version);

  const Core::TypeInfo& get_item_type() const override;
  std::uint32_t get_n_items() const override { return static_cast<std::uint32_t>(m_rows.size()); }
  Core::ObjectPtr get_object(std::uint32_t position) const override;

 private:
  RowList m_rows;
  std::vector<ColumnModelPtr> m_columns;
};

}  // namespace Tolvane::Providers::Contracts
