#include "tessin/core/list_model.hpp"

namespace Tolvane::Core {

const TypeInfo& IListModel::static_type() {
  static const TypeInfo info("GListModel", {});
  return info;
}

IListModel::~IListModel() = default;

IListModel::ItemsChangedSignal& IListModel::signal_items_changed() {
  if (!m_items_changed) {
    m_items_changed = std::make_unique<ItemsChangedSignal>();
  }
  return *m_items_changed;
}

void IListModel::items_changed(std::uint32_t position, std::uint32_t removed, std::uint32_t added) {
  if (m_items_changed && !m_items_changed->empty()) {
    m_items_changed->emit(position, removed, added);
  }
}

}  // namespace Tolvane::Core
