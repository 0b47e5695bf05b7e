#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <sigc++/signal.h>

#include "tessin/core/object.hpp"
#include "tessin/tessin_api.hpp"

namespace Tolvane::Core {

// An observable list of objects, so a front end can bind a view to it:
// the count, the item at a position, and items-changed(position, removed, added).
class TESSIN_API IListModel {
  TOLVANE_INTERFACE(IListModel)

  using ItemsChangedSignal = sigc::signal<void(std::uint32_t, std::uint32_t, std::uint32_t)>;

  virtual ~IListModel();

  virtual const TypeInfo& get_item_type() const = 0;
  virtual std::uint32_t get_n_items() const = 0;
  // The item at `position`, or null when out of range.
  virtual ObjectPtr get_object(std::uint32_t position) const = 0;

  ItemsChangedSignal& signal_items_changed();

 protected:
  IListModel() = default;
  IListModel(const IListModel&) = delete;
  IListModel& operator=(const IListModel&) = delete;
  void items_changed(std::uint32_t position, std::uint32_t removed, std::uint32_t added);

 private:
  std::unique_ptr<ItemsChangedSignal> m_items_changed;
};

// A plain list store of objects of class T.
template <class T>
class ListStore : public Object, public IListModel {
 public:
  static const TypeInfo& static_type() {
    static const TypeInfo info("GListStore", &Object::static_type(), {&IListModel::static_type()}, nullptr, {}, true);
    return info;
  }
  const TypeInfo& type() const override { return static_type(); }

  static std::shared_ptr<ListStore> create() { return std::make_shared<ListStore>(); }
  static std::shared_ptr<ListStore> with_items(std::vector<std::shared_ptr<T>> items) {
    auto store = create();
    store->m_items = std::move(items);
    return store;
  }

  const TypeInfo& get_item_type() const override { return T::static_type(); }
  std::uint32_t get_n_items() const override { return static_cast<std::uint32_t>(m_items.size()); }
  ObjectPtr get_object(std::uint32_t position) const override {
    return position < m_items.size() ? ObjectPtr(m_items[position]) : nullptr;
  }
  std::shared_ptr<T> get_item(std::uint32_t position) const {
    return position < m_items.size() ? m_items[position] : nullptr;
  }
  const std::vector<std::shared_ptr<T>>& items() const noexcept { return m_items; }

  void append(std::shared_ptr<T> item) {
    m_items.push_back(std::move(item));
    items_changed(static_cast<std::uint32_t>(m_items.size() - 1), 0, 1);
  }
  void remove(std::uint32_t position) {
    if (position < m_items.size()) {
      m_items.erase(m_items.begin() + position);
      items_changed(position, 1, 0);
    }
  }
  void remove_all() {
    auto removed = static_cast<std::uint32_t>(m_items.size());
    m_items.clear();
    items_changed(0, removed, 0);
  }

 private:
  std::vector<std::shared_ptr<T>> m_items;
};

}  // namespace Tolvane::Core
