#pragma once

#include <cstdint>
#include <vector>

#include "tessin/contracts/data_version.hpp"
#include "tessin/contracts/value_object.hpp"
#include "tessin/core/list_model.hpp"

namespace Tolvane::Providers::Contracts {

class RowModel;
using RowModelPtr = std::shared_ptr<RowModel>;
class RowList;

// The values of one row, one per column in column order, with the row's edit
// state. As a list model its items are the values.
class TESSIN_API RowModel final : public Core::Object, public Core::IListModel {
  TOLVANE_OBJECT(RowModel)

  RowModel() = default;
  static RowModelPtr create() { return std::make_shared<RowModel>(); }

  // The values themselves; producers append to them directly.
  std::vector<ValueObjectPtr>& get_values() noexcept { return m_values; }
  const std::vector<ValueObjectPtr>& get_values() const noexcept { return m_values; }
  DataVersion get_version() const noexcept { return m_version; }
  void set_version(DataVersion version) { assign(m_version, version, "version"); }

  // Value `index`, or null when out of range.
  ValueObjectPtr get_value_at(int index) const;
  // Replaces value `position`; a position outside the row is rejected and
  // nothing changes.
  void set_value_at(int position, ValueObjectPtr value);
  // Same version, a clone of every value.
  virtual RowModelPtr clone() const;

  const Core::TypeInfo& get_item_type() const override;
  std::uint32_t get_n_items() const override { return static_cast<std::uint32_t>(m_values.size()); }
  Core::ObjectPtr get_object(std::uint32_t position) const override;

 private:
  friend class RowList;

  std::vector<ValueObjectPtr> m_values;
  DataVersion m_version = DataVersion::Initial;
  // How many places in row lists hold this row: lets a list tell in O(1) that a
  // row it just received is not held anywhere else.
  std::uint32_t m_list_places = 0;
};

// The rows of a table. Behaves like a vector of rows; it also keeps count of how
// often each row is held, so finding the first position of a row that is held
// only once needs no scan of the whole list.
class TESSIN_API RowList {
 public:
  using const_iterator = std::vector<RowModelPtr>::const_iterator;

  RowList() = default;
  RowList(const RowList&) = delete;
  RowList& operator=(const RowList&) = delete;
  ~RowList();

  std::size_t size() const noexcept { return m_rows.size(); }
  bool empty() const noexcept { return m_rows.empty(); }
  const RowModelPtr& operator[](std::size_t index) const noexcept { return m_rows[index]; }
  const RowModelPtr& at(std::size_t index) const { return m_rows.at(index); }
  const_iterator begin() const noexcept { return m_rows.begin(); }
  const_iterator end() const noexcept { return m_rows.end(); }
  void reserve(std::size_t count) { m_rows.reserve(count); }

  // Both return the first position at which the row is held afterwards.
  std::size_t push_back(RowModelPtr row);
  std::size_t insert(std::size_t index, RowModelPtr row);
  // Removes and returns the row at `index`.
  RowModelPtr erase(std::size_t index);
  void clear() noexcept;

  // The first position of `row` (the same object), if it is held.
  std::optional<std::size_t> index_of(const RowModel* row) const noexcept;

 private:
  std::vector<RowModelPtr> m_rows;
};

}  // namespace Tolvane::Providers::Contracts
