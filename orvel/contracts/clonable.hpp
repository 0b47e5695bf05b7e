#pragma once

#include <any>
#include <typeindex>

#include "orvel/orvel_api.hpp"
#include "tessin/core/object.hpp"

namespace Tolvane::Orvel::Contracts {

// Makes a copy of an object. The default works on any object through its
// property list (see `clone_object`); nothing inside the libraries implements
// or calls this contract, it is offered to the front end.
class ORVEL_API IClonable {
  TOLVANE_INTERFACE(IClonable)

  virtual ~IClonable();

  // A new object owned by the caller; null when the implementer is not an
  // object of the system.
  virtual Core::ObjectPtr clone() const;
};

// The generic copy:
//  1. a new object of the source's class, made with the current values of the
//     source's construct and construct-only properties;
//  2. every other writable property set from the source, in property order
//     (texts and lists copied, referenced objects shared);
//  3. every read-only collection property (declared with
//     `collection_property`) copied by appending the source's items to the
//     collection the clone's own property hands out: items are shared, not
//     copied, and a list the clone's constructor filled keeps its entries in
//     front. Maps take the source's pairs, replacing equal keys.
// Other read-only properties are not copied.
ORVEL_API Core::ObjectPtr clone_object(const Core::Object& source);

// How `clone_object` copies one kind of collection property: appends the items
// of the source's collection (`from`) to the clone's (`into`), both as the
// property hands them out; false when either holds no collection.
using CollectionAppender = bool (*)(const std::any& from, const std::any& into);
// Registers the appender for properties whose values are `std::any`s holding a
// value of type `held`.
ORVEL_API void register_collection_appender(std::type_index held, CollectionAppender appender);

namespace detail {

template <class L>
bool append_items(const std::any& from, const std::any& into) {
  const L* const* source = std::any_cast<const L*>(&from);
  const L* const* target = std::any_cast<const L*>(&into);
  if (source == nullptr || target == nullptr || *source == nullptr || *target == nullptr) {
    return false;
  }
  // The clone was made a moment ago and nobody else holds it: its collection
  // is handed out read-only only because getters are const.
  L& items = const_cast<L&>(**target);
  if constexpr (requires { typename L::mapped_type; }) {
    for (const auto& [key, value] : **source) {
      items.insert_or_assign(key, value);
    }
  } else {
    items.insert(items.end(), (*source)->begin(), (*source)->end());
  }
  return true;
}

}  // namespace detail

// A read-only property that hands out a collection (a sequence such as
// std::vector, or a map) by address, so that generic code can reach the
// collection itself rather than a copy. Its value is a `std::any` holding a
// `const L*`.
template <class C, class L>
Core::PropertySpec collection_property(const char* name, const L& (C::*getter)() const) {
  register_collection_appender(typeid(const L*), &detail::append_items<L>);
  Core::PropertySpec spec;
  spec.name = name;
  spec.kind = Core::PropertyKind::Other;
  spec.flags = Core::PropertyFlags::Readable;
  spec.getter = [getter](const Core::Object& object) -> Core::PropertyValue {
    return std::any(&(static_cast<const C&>(object).*getter)());
  };
  return spec;
}

}  // namespace Tolvane::Orvel::Contracts
