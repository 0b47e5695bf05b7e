#include "tessin/contracts/row_model.hpp"

#include "tessin/core/error.hpp"
#include "tessin/core/property.hpp"

namespace Tolvane::Providers::Contracts {

const Core::TypeInfo& RowModel::static_type() {
  static const Core::TypeInfo info("TolvaneProvidersContractsRowModel", &Core::Object::static_type(),
                                   {&Core::IListModel::static_type()}, Core::factory_of<RowModel>(),
                                   {Core::property("values", static_cast<const std::vector<ValueObjectPtr>& (RowModel::*)() const>(&RowModel::get_values)),
                                    Core::property("version", &RowModel::get_version, &RowModel::set_version)});
  return info;
}

ValueObjectPtr RowModel::get_value_at(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= m_values.size()) {
    return nullptr;
  }
  return m_values[static_cast<std::size_t>(index)];
}

void RowModel::set_value_at(int position, ValueObjectPtr value) {
  TOLVANE_RETURN_IF_FAIL(value != nullptr, "value != NULL");
  TOLVANE_RETURN_IF_FAIL(position >= 0 && static_cast<std::size_t>(position) < m_values.size(),
                         "position < values.size");
  m_values[static_cast<std::size_t>(position)] = std::move(value);
  items_changed(static_cast<std::uint32_t>(position), 1, 1);
}

RowModelPtr RowModel::clone() const {
  auto copy = create();
  copy->m_version = m_version;
  copy->m_values.reserve(m_values.size());
  for (const ValueObjectPtr& value : m_values) {
    copy->m_values.push_back(value ? value->clone() : nullptr);
  }
  return copy;
}

const Core::TypeInfo& RowModel::get_item_type() const { return ValueObject::static_type(); }

Core::ObjectPtr RowModel::get_object(std::uint32_t position) const {
  return position < m_values.size() ? Core::ObjectPtr(m_values[position]) : nullptr;
}

// RowList

RowList::~RowList() { clear(); }

std::size_t RowList::push_back(RowModelPtr row) {
  const bool held_before = row && row->m_list_places > 0;
  if (row) {
    ++row->m_list_places;
  }
  const RowModel* raw = row.get();
  m_rows.push_back(std::move(row));
  return held_before ? *index_of(raw) : m_rows.size() - 1;
}

std::size_t RowList::insert(std::size_t index, RowModelPtr row) {
  const bool held_before = row && row->m_list_places > 0;
  if (row) {
    ++row->m_list_places;
  }
  index = std::min(index, m_rows.size());
  const RowModel* raw = row.get();
  m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(index), std::move(row));
  return held_before ? *index_of(raw) : index;
}

RowModelPtr RowList::erase(std::size_t index) {
  RowModelPtr row = std::move(m_rows[index]);
  m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(index));
  if (row) {
    --row->m_list_places;
  }
  return row;
}

void RowList::clear() noexcept {
  for (const RowModelPtr& row : m_rows) {
    if (row) {
      --row->m_list_places;
    }
  }
  m_rows.clear();
}

std::optional<std::size_t> RowList::index_of(const RowModel* row) const noexcept {
  if (row == nullptr || row->m_list_places == 0) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < m_rows.size(); ++i) {
    if (m_rows[i].get() == row) {
      return i;
    }
  }
  return std::nullopt;
}

}  // namespace Tolvane::Providers::Contracts
