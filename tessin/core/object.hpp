#pragma once

#include <any>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <sigc++/signal.h>

#include "tessin/core/property_value.hpp"
#include "tessin/core/type_info.hpp"
#include "tessin/tessin_api.hpp"

// Inside a class body: the static type description and the virtual accessor.
// Leaves the access at `public:`.
#define TOLVANE_OBJECT(Class)                                  \
 public:                                                       \
  static const ::Tolvane::Core::TypeInfo& static_type();       \
  const ::Tolvane::Core::TypeInfo& type() const override {     \
    return static_type();                                      \
  }

// Inside an interface body: its type description (interfaces are not objects).
#define TOLVANE_INTERFACE(Interface) \
 public:                             \
  static const ::Tolvane::Core::TypeInfo& static_type();

namespace Tolvane::Core {

// The root of every class of the system. Objects live in std::shared_ptr; the
// per-object cost is a vtable pointer, the weak self-reference and one pointer
// to lazily created extras (the notify signal and attached data), so objects
// nobody observes pay for neither.
class TESSIN_API Object : public std::enable_shared_from_this<Object> {
 public:
  using NotifySignal = sigc::signal<void(std::string_view)>;

  virtual ~Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  static const TypeInfo& static_type();
  virtual const TypeInfo& type() const { return static_type(); }
  bool is_a(const TypeInfo& other) const noexcept { return type().is_a(other); }

  // Generic property access by name ('-' and '_' are the same). Reading an
  // unknown or unreadable property gives nothing; writing an unknown, read-only
  // or mismatched property logs a critical and returns false.
  std::optional<PropertyValue> get_property(std::string_view name) const;
  bool set_property(std::string_view name, const PropertyValue& value);

  // Emitted with the property name after a property changed.
  NotifySignal& signal_notify();

  // Attached data: a small keyed store beside the properties ("FILLED", "BACKUP" ...).
  void set_data(std::string_view key, std::any value);
  const std::any* get_data(std::string_view key) const;
  template <class T>
  const T* get_data_as(std::string_view key) const {
    const std::any* held = get_data(key);
    return held != nullptr ? std::any_cast<T>(held) : nullptr;
  }
  bool has_data(std::string_view key) const { return get_data(key) != nullptr; }
  bool remove_data(std::string_view key);

  // A new owning reference to this object as its concrete class; also for
  // objects made in an ObjectArena, which std's shared_from_this() does not
  // know. Throws std::bad_weak_ptr for an object nobody owns.
  template <class T>
  std::shared_ptr<T> self() {
    return std::static_pointer_cast<T>(self_reference());
  }
  template <class T>
  std::shared_ptr<const T> self() const {
    return std::static_pointer_cast<const T>(self_reference());
  }

 protected:
  Object() noexcept;

  // Emits the change notification, if anybody listens.
  void notify(std::string_view property);

  // Stores `value` and notifies when it differs from the current content.
  template <class T, class U>
  bool assign(T& field, U&& value, std::string_view property) {
    if (field == value) {
      return false;
    }
    field = std::forward<U>(value);
    notify(property);
    return true;
  }

 private:
  ObjectPtr self_reference() const;

  struct Extras;
  std::unique_ptr<Extras> m_extras;
};

}  // namespace Tolvane::Core

namespace Tolvane::Core {

// The default factory a type description registers for class T: T::create()
// when it has one, else T's default constructor; none for abstract classes.
template <class T>
TypeInfo::Factory factory_of() {
  if constexpr (std::is_abstract_v<T>) {
    return nullptr;
  } else if constexpr (requires {
                         { T::create() } -> std::convertible_to<std::shared_ptr<T>>;
                       }) {
    return +[]() -> ObjectPtr { return T::create(); };
  } else if constexpr (std::is_default_constructible_v<T>) {
    return +[]() -> ObjectPtr { return std::make_shared<T>(); };
  } else {
    return nullptr;
  }
}

}  // namespace Tolvane::Core
